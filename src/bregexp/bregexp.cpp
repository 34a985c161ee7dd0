// BREGEXP.DLL over Oniguruma. Callers such as the search window pass a fresh null record for every
// candidate and free it right after, so one pass over 3,000 candidates would compile the same
// expression 3,000 times; a small cache keyed by the whole "m/.../flags" text keeps the last few
// compiled expressions instead. Cache slots and records share a compiled expression by reference
// count: whichever lets go last frees it.
#include "bregexp/bregexp.h"

#include <oniguruma.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

const int message_size = 80;
const int cache_capacity = 8;
// Longer expressions are compiled for their record alone, so the cache never holds much memory.
const size_t cache_key_limit = 64 * 1024;
// Bounds the backtracking of one search: a pathological expression fails instead of hanging.
const unsigned long search_retry_limit = 20000000;

struct compiled {
    regex_t *reg;
    char *key;
    size_t key_length;
    int refs; // the cache slot holding it, if any, and every record using it
};

// A BREGEXP* handed out is a record* (the head comes first).
struct record {
    BREGEXP head;
    compiled *expr;
    OnigRegion *region;
};

struct cache_slots {
    compiled *slot[cache_capacity]; // most recently used first
    ~cache_slots();
};

cache_slots cache;
bool onig_ready = false;
// Guards the cache, the reference counts and the one-time set-up; held only for moments.
std::atomic_flag cache_busy = ATOMIC_FLAG_INIT;

struct cache_lock {
    cache_lock()
    {
        while (cache_busy.test_and_set(std::memory_order_acquire)) {
        }
    }
    ~cache_lock() { cache_busy.clear(std::memory_order_release); }
};

bool is_lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool is_trail(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// Oniguruma's messages may quote the pattern, so the cut keeps double-byte characters whole.
int fail(char *msg, const char *text)
{
    if (msg) {
        int n = 0;
        while (text[n]) {
            const int width = is_lead(static_cast<unsigned char>(text[n])) && text[n + 1] ? 2 : 1;
            if (n + width > message_size - 1)
                break;
            n += width;
        }
        memcpy(msg, text, n);
        msg[n] = 0;
    }
    return -1;
}

void release_locked(compiled *expr)
{
    if (expr && --expr->refs == 0) {
        onig_free(expr->reg);
        free(expr->key);
        free(expr);
    }
}

cache_slots::~cache_slots()
{
    cache_lock lock;
    for (compiled *&expr : slot) {
        release_locked(expr);
        expr = nullptr;
    }
}

struct parsed {
    const char *begin, *end; // the pattern between the delimiters
    OnigOptionType options;
    bool sjis;
};

// Splits "m/pattern/flags". The flags are the letters after the last delimiter, and they decide
// whether the pattern is read by bytes or by Shift-JIS characters; read that way, the first
// unescaped delimiter must be that last one. So the trail byte 0x5C of a character never escapes
// the closing delimiter, and an unbalanced text is refused rather than guessed at.
const char *parse(const char *str, size_t length, parsed *out)
{
    const char *p = str, *end = str + length;
    if (*p == 'm')
        p++;
    else if (*p != '/')
        return "only m/pattern/flags is supported";
    const unsigned char delimiter = static_cast<unsigned char>(*p);
    if (delimiter <= 0x20 || delimiter >= 0x7F || delimiter == '\\' || (delimiter >= '0' && delimiter <= '9') ||
        ((delimiter | 0x20) >= 'a' && (delimiter | 0x20) <= 'z'))
        return "no delimiter after m";
    const char *last = end - 1;
    while (last > p && static_cast<unsigned char>(*last) != delimiter)
        last--;
    if (last == p)
        return "no closing delimiter";
    out->options = ONIG_OPTION_NONE;
    out->sjis = false;
    for (const char *f = last + 1; f < end; f++) {
        switch (*f) {
        case 'k': out->sjis = true; break;
        case 'i': out->options |= ONIG_OPTION_IGNORECASE | ONIG_OPTION_IGNORECASE_IS_ASCII; break;
        case 'm': out->options |= ONIG_OPTION_NEGATE_SINGLELINE; break;
        case 's': out->options |= ONIG_OPTION_MULTILINE; break;
        case 'x': out->options |= ONIG_OPTION_EXTEND; break;
        case 'g': case 'o': break;
        default: return "unknown flag after the pattern";
        }
    }
    const char *q = p + 1;
    while (q < last) {
        const unsigned char c = static_cast<unsigned char>(*q);
        if (out->sjis && is_lead(c) && q + 1 < end && is_trail(static_cast<unsigned char>(q[1])))
            q += 2;
        else if (c == '\\')
            q += 2;
        else if (c == delimiter)
            break;
        else
            q++;
    }
    if (q != last)
        return "unbalanced delimiters";
    out->begin = p + 1;
    out->end = last;
    return nullptr;
}

compiled *compile(const char *str, size_t length, char *msg)
{
    parsed pattern;
    if (const char *error = parse(str, length, &pattern)) {
        fail(msg, error);
        return nullptr;
    }
    OnigEncoding encoding = pattern.sjis ? ONIG_ENCODING_SJIS : ONIG_ENCODING_ASCII;
    {
        cache_lock lock;
        if (!onig_ready) {
            OnigEncoding both[] = {ONIG_ENCODING_SJIS, ONIG_ENCODING_ASCII};
            onig_initialize(both, 2);
            onig_set_retry_limit_in_search(search_retry_limit);
            onig_ready = true;
        }
    }
    regex_t *reg = nullptr;
    OnigErrorInfo info;
    const int r = onig_new(&reg, reinterpret_cast<const OnigUChar *>(pattern.begin),
                           reinterpret_cast<const OnigUChar *>(pattern.end), pattern.options, encoding,
                           ONIG_SYNTAX_PERL, &info);
    if (r != ONIG_NORMAL) {
        OnigUChar text[ONIG_MAX_ERROR_MESSAGE_LEN];
        onig_error_code_to_str(text, r, &info);
        fail(msg, reinterpret_cast<const char *>(text));
        return nullptr;
    }
    compiled *expr = static_cast<compiled *>(calloc(1, sizeof(compiled)));
    char *key = static_cast<char *>(malloc(length + 1));
    if (!expr || !key) {
        free(expr);
        free(key);
        onig_free(reg);
        fail(msg, "out of memory");
        return nullptr;
    }
    memcpy(key, str, length + 1);
    *expr = {reg, key, length, 1};
    return expr;
}

// The compiled form of str with one reference for the caller: from the cache, or compiled and put
// first in it (dropping the least recently used slot).
compiled *acquire(const char *str, char *msg)
{
    const size_t length = strlen(str);
    {
        cache_lock lock;
        for (int i = 0; i < cache_capacity && cache.slot[i]; i++) {
            compiled *expr = cache.slot[i];
            if (expr->key_length == length && memcmp(expr->key, str, length) == 0) {
                memmove(&cache.slot[1], &cache.slot[0], i * sizeof(compiled *));
                cache.slot[0] = expr;
                expr->refs++;
                return expr;
            }
        }
    }
    compiled *expr = compile(str, length, msg);
    if (!expr || length > cache_key_limit)
        return expr;
    cache_lock lock;
    release_locked(cache.slot[cache_capacity - 1]);
    memmove(&cache.slot[1], &cache.slot[0], (cache_capacity - 1) * sizeof(compiled *));
    cache.slot[0] = expr;
    expr->refs++;
    return expr;
}

// Points the record at expr, with room for the bounds of every group.
bool attach(record *rec, compiled *expr)
{
    const int groups = onig_number_of_captures(expr->reg);
    char **startp = static_cast<char **>(calloc(groups + 1, sizeof(char *)));
    char **endp = static_cast<char **>(calloc(groups + 1, sizeof(char *)));
    if (!startp || !endp) {
        free(startp);
        free(endp);
        return false;
    }
    free(rec->head.startp);
    free(rec->head.endp);
    rec->head.startp = startp;
    rec->head.endp = endp;
    rec->head.nparens = groups;
    {
        cache_lock lock;
        release_locked(rec->expr);
    }
    rec->expr = expr;
    return true;
}

// A record whose expression is compiled from str: the one given when it already holds str.
record *prepare(char *str, BREGEXP **rxp, char *msg)
{
    record *rec = reinterpret_cast<record *>(*rxp);
    if (rec && strcmp(rec->expr->key, str) == 0)
        return rec;
    compiled *expr = acquire(str, msg);
    if (!expr)
        return nullptr;
    const bool fresh = !rec;
    if (fresh) {
        rec = static_cast<record *>(calloc(1, sizeof(record)));
        if (rec)
            rec->region = onig_region_new();
    }
    if (!rec || !rec->region || !attach(rec, expr)) {
        cache_lock lock;
        release_locked(expr);
        if (fresh && rec) {
            if (rec->region)
                onig_region_free(rec->region, 1);
            free(rec);
        }
        fail(msg, "out of memory");
        return nullptr;
    }
    *rxp = &rec->head;
    return rec;
}

} // namespace

extern "C" int BMatch(char *str, char *target, char *targetendp, BREGEXP **rxp, char *msg)
{
    if (msg)
        msg[0] = 0;
    if (!str || !rxp)
        return fail(msg, "no expression");
    if (!target || !targetendp || targetendp <= target)
        return fail(msg, targetendp < target ? "target ends before it starts" : "empty target");
    record *rec = prepare(str, rxp, msg);
    if (!rec)
        return -1;
    // Texts are cut by bytes, so a lead byte may stand last; it is left out of the search rather than
    // read together with whatever follows the target.
    const char *end = targetendp;
    if (onig_get_encoding(rec->expr->reg) == ONIG_ENCODING_SJIS) {
        for (const char *p = target; p < targetendp; p++) {
            if (is_lead(static_cast<unsigned char>(*p)) && ++p == targetendp)
                end = p - 1;
        }
    }
    const OnigUChar *start = reinterpret_cast<const OnigUChar *>(target);
    const int r = onig_search(rec->expr->reg, start, reinterpret_cast<const OnigUChar *>(end), start,
                              reinterpret_cast<const OnigUChar *>(end), rec->region, ONIG_OPTION_NONE);
    for (int i = 0; i <= rec->head.nparens; i++) {
        const bool took_part = r >= 0 && i < rec->region->num_regs && rec->region->beg[i] >= 0;
        rec->head.startp[i] = took_part ? target + rec->region->beg[i] : nullptr;
        rec->head.endp[i] = took_part ? target + rec->region->end[i] : nullptr;
    }
    if (r >= 0)
        return 1;
    if (r == ONIG_MISMATCH)
        return 0;
    OnigUChar text[ONIG_MAX_ERROR_MESSAGE_LEN];
    onig_error_code_to_str(text, r);
    return fail(msg, reinterpret_cast<const char *>(text));
}

extern "C" void BRegfree(BREGEXP *rx)
{
    if (!rx)
        return;
    record *rec = reinterpret_cast<record *>(rx);
    {
        cache_lock lock;
        release_locked(rec->expr);
    }
    onig_region_free(rec->region, 1);
    free(rec->head.startp);
    free(rec->head.endp);
    free(rec);
}
