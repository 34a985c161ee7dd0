// BREGEXP.DLL: the BMatch / BRegfree interface over Oniguruma (Perl syntax; Shift-JIS with flag "k",
// bytes without). A library of its own: it includes nothing of the program, and the program reaches it
// only by name at run time (os_load_library). This header is the record of the interface, used by the
// library itself and its tests.
// Owns every BREGEXP record it hands out and the compiled expressions behind them: callers only read
// the public head and give each record back to BRegfree once.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// The public head, in the order other programs rely on. After a match startp[0] / endp[0] bound the
// matched text inside the target and startp[n] / endp[n] group n (null when it took no part); the
// substitution and split fields are kept null, since only matching is offered.
typedef struct bregexp {
    char *outp;
    char *outendp;
    int splitctr;
    char **splitp;
    int rsv1;
    char *parap;
    char *paraendp;
    char *transtblp;
    char **startp;
    char **endp;
    int nparens;
} BREGEXP;

// str: "m/pattern/flags", "/pattern/flags" or "m" with another delimiter; flags k (Shift-JIS
// characters), i (ASCII letters without regard to case), m, s, x (Perl's), g and o (accepted, no
// effect). Searches [target, targetendp). Returns 1 for a match, 0 for none, -1 for an error whose
// text (at most 79 bytes and a zero) goes to msg (80 bytes). A null *rxp gets a new record; a record
// given back with another str is compiled anew.
int BMatch(char *str, char *target, char *targetendp, BREGEXP **rxp, char *msg);
// Frees a record of BMatch; null is ignored.
void BRegfree(BREGEXP *rx);

#ifdef __cplusplus
}
#endif
