#include "search/matching.h"

#include <cstring>

#include "datafile/section_reader.h"
#include "datafile/settings.h"
#include "search/search_state.h"
#include "text/fold.h"
#include "text/sjis.h"

matching_state matching;

namespace {

constexpr char migemo_library_name[] = "migemo.dll";
constexpr char regex_library_name[] = "BREGEXP.DLL";

uintptr_t pointer_argument(const void *p) { return reinterpret_cast<uintptr_t>(p); }

void close_dictionary()
{
    if (void *close = os_library_function(matching.migemo_library, "migemo_close")) {
        const uintptr_t args[] = {matching.migemo_handle};
        os_call_library(close, 1, args);
    }
    matching.migemo_handle = 0;
    os_free_library(matching.migemo_library);
    matching.migemo_library = 0;
}

// The plain comparison of `search_kind`, for texts as they are or both folded.
int plain_match(const char *candidate, const char *pattern)
{
    if (search_run.search_kind == search_prefix)
        return starts_with_nocase(candidate, pattern) ? 1 : 0;
    return find_nocase_in(candidate, strlen(candidate), pattern) != nullptr ? 1 : 0;
}

// This pass's pattern folded, folded at its first candidate.
const char *folded_pattern(const char *pattern)
{
    if (matching.folded_pattern_built == 0) {
        fold_for_match(matching.folded_pattern, sizeof matching.folded_pattern, pattern);
        matching.folded_pattern_built = 1;
    }
    return matching.folded_pattern;
}

// A candidate that the loader did not fold (a text-file line or name) is folded as it comes.
int fold_and_match(const char *candidate, const char *pattern)
{
    char folded[fold_growth * line_buffer_size];
    fold_for_match(folded, sizeof folded, candidate);
    return plain_match(folded, folded_pattern(pattern));
}

} // namespace

int escape_expression_char(unsigned int code, unsigned char *out)
{
    unsigned char bytes[2];
    int length = 0;
    if (code >= 0x100) {
        bytes[length++] = static_cast<unsigned char>((code >> 8) & 0xff);
        bytes[length++] = static_cast<unsigned char>(code & 0xff);
    }
    else {
        if (code < 0x80 && strchr("\\.*+?^$|()[]{}/-", static_cast<int>(code)) != nullptr && code != 0)
            bytes[length++] = '\\';
        bytes[length++] = static_cast<unsigned char>(code);
    }
    if (out != nullptr)
        memcpy(out, bytes, static_cast<size_t>(length));
    return length;
}

void reset_matching_state()
{
    matching.migemo_library = 0;
    matching.regex_library = 0;
    matching.migemo_handle = 0;
    matching.regex_pattern_built = 0;
    matching.regex_pattern[0] = '\0';
    matching.folded_pattern_built = 0;
    matching.folded_pattern[0] = '\0';
}

int match(const char *candidate, const char *pattern, const char *folded_candidate)
{
    if (search_run.migemo_on != 0 && strlen(pattern) >= static_cast<size_t>(settings.migemo_min_length)) {
        if (matching.regex_pattern_built == 0 && !build_regex_pattern(pattern))
            return 0;
        return regex_match(candidate, matching.regex_pattern);
    }
    if (settings.kana_fold == 1 && folded_candidate != nullptr)
        return plain_match(folded_candidate, folded_pattern(pattern));
    if (settings.kana_fold == 1)
        return fold_and_match(candidate, pattern);
    return plain_match(candidate, pattern);
}

// Appends migemo's expression for word to out, grouped when grouped is 1. 0 when migemo gives none,
// an empty one (it would match everything) or one that does not fit.
static int append_expression(char *out, size_t room, const char *word, int grouped)
{
    void *query = os_library_function(matching.migemo_library, "migemo_query");
    if (query == nullptr)
        return 0;
    const uintptr_t query_args[] = {matching.migemo_handle, pointer_argument(word)};
    const char *expression = reinterpret_cast<const char *>(os_call_library(query, 2, query_args));
    const int appended = expression != nullptr && expression[0] != '\0' &&
                         (!grouped || append_text(out, room, "(?:")) && append_text(out, room, expression) &&
                         (!grouped || append_text(out, room, ")"));
    if (void *release = os_library_function(matching.migemo_library, "migemo_release")) {
        const uintptr_t release_args[] = {matching.migemo_handle, pointer_argument(expression)};
        os_call_library(release, 2, release_args);
    }
    return appended;
}

int build_regex_pattern(const char *pattern)
{
    matching.regex_pattern_built = 0;
    char *out = matching.regex_pattern;
    const size_t room = regex_pattern_capacity;
    // Built whole or not at all: a cut expression would be a different expression.
    int built = copy_text(out, room, search_run.search_kind == search_prefix ? "m/^" : "m/");
    if (strchr(pattern, ' ') == nullptr) {
        built = built && append_expression(out, room, pattern, 0);
    }
    else {
        // Each word is converted on its own ("c orei" is "c" and "お礼", not one reading), and the
        // spaces stay spaces. A space byte is never part of a double-byte character.
        char word[path_capacity];
        for (const char *p = pattern; built && *p != '\0';) {
            const size_t length = strcspn(p, " ");
            if (length == 0) {
                built = append_text(out, room, " ");
                ++p;
                continue;
            }
            built = copy_text_n(word, sizeof word, p, length) && append_expression(out, room, word, 1);
            p += length;
        }
    }
    if (built && append_text(out, room, "/ki"))
        matching.regex_pattern_built = 1;
    else
        out[0] = '\0';
    return matching.regex_pattern_built;
}

int regex_match(const char *candidate, const char *expression)
{
    void *bmatch = os_library_function(matching.regex_library, "BMatch");
    if (bmatch == nullptr)
        return 0;
    // A fresh compiled expression each time: BMatch compiles into a null one and keeps a reused one.
    uintptr_t compiled = 0;
    char message[regex_message_capacity] = {};
    const uintptr_t args[] = {pointer_argument(expression), pointer_argument(candidate),
                              pointer_argument(candidate + strlen(candidate)), pointer_argument(&compiled),
                              pointer_argument(message)};
    const int result = static_cast<int>(os_call_library(bmatch, 5, args));
    if (void *regfree = os_library_function(matching.regex_library, "BRegfree")) {
        const uintptr_t free_args[] = {compiled};
        os_call_library(regfree, 1, free_args);
    }
    return result == 1 ? 1 : 0;
}

int load_matching_libraries(int regex_only)
{
    if (!regex_only) {
        if (!os_file_exists(settings.migemo_dict_path))
            return 0;
        matching.migemo_library = os_load_library(migemo_library_name);
        if (matching.migemo_library == 0)
            return 0;
        void *open = os_library_function(matching.migemo_library, "migemo_open");
        matching.migemo_handle = 0;
        if (open != nullptr) {
            const uintptr_t args[] = {pointer_argument(settings.migemo_dict_path)};
            matching.migemo_handle = os_call_library(open, 1, args);
        }
        if (matching.migemo_handle == 0) {
            os_free_library(matching.migemo_library);
            matching.migemo_library = 0;
            return 0;
        }
        if (void *writer = os_library_function(matching.migemo_library, "migemo_setproc_int2char")) {
            const uintptr_t args[] = {matching.migemo_handle, pointer_argument(reinterpret_cast<void *>(
                                                                  &escape_expression_char))};
            os_call_library(writer, 2, args);
        }
    }
    matching.regex_library = os_load_library(regex_library_name);
    if (matching.regex_library == 0) {
        if (!regex_only)
            close_dictionary();
        return 0;
    }
    return 1;
}

int unload_matching_libraries(int regex_only)
{
    if (!regex_only && matching.migemo_library != 0)
        close_dictionary();
    if (matching.regex_library != 0)
        os_free_library(matching.regex_library);
    matching.regex_library = 0;
    return 1;
}

void end_search_pass()
{
    if (matching.regex_pattern_built == 1) {
        matching.regex_pattern_built = 0;
        matching.regex_pattern[0] = '\0';
    }
    matching.folded_pattern_built = 0;
}
