// The replace rows, the 27 special-folder macros and the 32 date and time macros.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "datafile/item_store.h"
#include "datafile/settings.h"
#include "expand/expand.h"
#include "expand/substitute.h"
#include "text/sjis.h"

namespace {

enum macro_kind {
    folder_macro,
    year_4,
    year_era,
    month_plain,
    month_zero,
    month_blank,
    month_long,
    month_short,
    day_plain,
    day_zero,
    day_blank,
    hour_plain,
    hour_zero,
    hour_blank,
    minute_plain,
    minute_zero,
    minute_blank,
    second_plain,
    second_zero,
    second_blank,
    weekday_kanji,
    weekday_long,
    weekday_short,
    line_break,
    year_2,
    hour24_plain,
    hour24_zero,
    hour24_blank,
    am_pm,
    am_pm_dotted,
    am_pm_24,
    am_pm_24_dotted,
    tab_char,
};

struct macro_entry {
    const char *name;
    macro_kind kind;
    int csidl;
};

// The processing order: a later entry sees what the earlier ones inserted.
const macro_entry macro_table[] = {
    {"%Windows%", folder_macro, 0x24},
    {"%Program Files%", folder_macro, 0x26},
    {"%System%", folder_macro, 0x25},
    {"%My Pictures%", folder_macro, 0x27},
    {"%My Music%", folder_macro, 0x0D},
    {"%My Video%", folder_macro, 0x0E},
    {"%My Documents%", folder_macro, 0x05},
    {"%Favorites%", folder_macro, 0x06},
    {"%Start Menu%", folder_macro, 0x0B},
    {"%Programs%", folder_macro, 0x02},
    {"%StartUp%", folder_macro, 0x07},
    {"%SendTo%", folder_macro, 0x09},
    {"%Internet Cache%", folder_macro, 0x20},
    {"%Fonts%", folder_macro, 0x14},
    {"%Cookies%", folder_macro, 0x21},
    {"%History%", folder_macro, 0x22},
    {"%Desktop%", folder_macro, 0x00},
    {"%Recent%", folder_macro, 0x08},
    {"%Common Start Menu%", folder_macro, 0x16},
    {"%Common Programs%", folder_macro, 0x17},
    {"%Common StartUp%", folder_macro, 0x18},
    {"%Common Desktop%", folder_macro, 0x19},
    {"%Common Favorites%", folder_macro, 0x1F},
    {"%Common My Documents%", folder_macro, 0x2E},
    {"%Common My Pictures%", folder_macro, 0x36},
    {"%Common My Music%", folder_macro, 0x35},
    {"%Common My Video%", folder_macro, 0x37},
    {"%4y%", year_4, 0},
    {"%yy%", year_era, 0},
    {"%mm%", month_plain, 0},
    {"%0m%", month_zero, 0},
    {"%-m%", month_blank, 0},
    {"%lm%", month_long, 0},
    {"%sm%", month_short, 0},
    {"%dd%", day_plain, 0},
    {"%0d%", day_zero, 0},
    {"%-d%", day_blank, 0},
    {"%hh%", hour_plain, 0},
    {"%0h%", hour_zero, 0},
    {"%-h%", hour_blank, 0},
    {"%ff%", minute_plain, 0},
    {"%0f%", minute_zero, 0},
    {"%-f%", minute_blank, 0},
    {"%ss%", second_plain, 0},
    {"%0s%", second_zero, 0},
    {"%-s%", second_blank, 0},
    {"%ww%", weekday_kanji, 0},
    {"%lw%", weekday_long, 0},
    {"%sw%", weekday_short, 0},
    {"%rn%", line_break, 0},
    {"%2y%", year_2, 0},
    {"%ii%", hour24_plain, 0},
    {"%0i%", hour24_zero, 0},
    {"%-i%", hour24_blank, 0},
    {"%ap%", am_pm, 0},
    {"%a.%", am_pm_dotted, 0},
    {"%pa%", am_pm_24, 0},
    {"%p.%", am_pm_24_dotted, 0},
    {"%tb%", tab_char, 0},
};
static_assert(sizeof macro_table / sizeof macro_table[0] == 59, "27 folder and 32 date macros");

const char *const months_long[] = {"january", "february", "march",     "april",   "may",      "june",
                                   "july",    "august",   "september", "october", "november", "december"};
const char *const months_long_cap[] = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};
const char *const months_short[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                    "jul", "aug", "sep", "oct", "nov", "dec"};
const char *const months_short_cap[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char *const weekdays_kanji[] = {"日", "月", "火", "水", "木", "金", "土"};
const char *const weekdays_long[] = {"sunday",   "monday", "tuesday", "wednesday",
                                     "thursday", "friday", "saturday"};
const char *const weekdays_long_cap[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                         "Thursday", "Friday", "Saturday"};
const char *const weekdays_short[] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};
const char *const weekdays_short_cap[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

// What one date macro occurrence needs: the moment and a buffer for its replacement.
struct date_context {
    os_time now;
    int32_t era_base_year; // the data file's, unless it lies outside (0, this year)
    macro_kind kind;
    char piece[64];
};

int clamp_index(int value, int count)
{
    return (value < 0) ? 0 : (value >= count ? count - 1 : value);
}

text_piece text_of(const char *text)
{
    return text_piece{text, strlen(text)};
}

text_piece number_in(date_context *c, const char *format, int value)
{
    snprintf(c->piece, sizeof c->piece, format, value);
    return text_of(c->piece);
}

// "%d", "%02d" or "%2d" for the plain, zero and blank forms, which follow each other in macro_kind.
text_piece formatted(date_context *c, macro_kind plain, int value)
{
    static const char *const formats[] = {"%d", "%02d", "%2d"};
    return number_in(c, formats[c->kind - plain], value);
}

// The second and third letters are the characters right after the opening "%" as written.
text_piece date_replacement(const char *occurrence, void *context)
{
    date_context *c = static_cast<date_context *>(context);
    const os_time &t = c->now;
    char second = occurrence[1];
    char third = occurrence[2];
    int month = clamp_index(t.month - 1, 12);
    int weekday = clamp_index(t.weekday, 7);
    int hour24 = (t.hour == 0) ? 24 : t.hour; // the 1-to-24 scale
    switch (c->kind) {
    case year_4:
        return number_in(c, "%d", t.year);
    case year_era:
        return number_in(c, "%d", t.year - c->era_base_year);
    case month_plain:
    case month_zero:
    case month_blank:
        return formatted(c, month_plain, t.month);
    case month_long:
        return text_of(second == 'L' ? months_long_cap[month] : months_long[month]);
    case month_short:
        return text_of(second == 'S' ? months_short_cap[month] : months_short[month]);
    case day_plain:
    case day_zero:
    case day_blank:
        return formatted(c, day_plain, t.day);
    case hour_plain:
    case hour_zero:
    case hour_blank:
        return formatted(c, hour_plain, (third == 'h' && t.hour >= 12) ? t.hour - 12 : t.hour);
    case minute_plain:
    case minute_zero:
    case minute_blank:
        return formatted(c, minute_plain, t.minute);
    case second_plain:
    case second_zero:
    case second_blank:
        return formatted(c, second_plain, t.second);
    case weekday_kanji:
        return text_of(weekdays_kanji[weekday]);
    case weekday_long:
        return text_of(second == 'L' ? weekdays_long_cap[weekday] : weekdays_long[weekday]);
    case weekday_short:
        return text_of(second == 'S' ? weekdays_short_cap[weekday] : weekdays_short[weekday]);
    case line_break:
        return text_of("\r\n");
    case year_2: {
        number_in(c, "%d", t.year);
        size_t length = strlen(c->piece);
        return length > 2 ? text_piece{c->piece + length - 2, 2} : text_piece{c->piece, length};
    }
    case hour24_plain:
    case hour24_zero:
    case hour24_blank:
        return formatted(c, hour24_plain,
                         (third == 'i' && hour24 >= 13 && hour24 <= 23) ? hour24 - 12 : hour24);
    case am_pm: {
        bool afternoon = t.hour >= 12;
        if (third == 'P')
            return text_of(afternoon ? "午後" : "午前");
        if (second == 'A')
            return text_of(afternoon ? "PM" : "AM");
        return text_of(afternoon ? "pm" : "am");
    }
    case am_pm_dotted: {
        bool afternoon = t.hour >= 12;
        if (second == 'A')
            return text_of(afternoon ? "P.M." : "A.M.");
        return text_of(afternoon ? "p.m." : "a.m.");
    }
    case am_pm_24: {
        bool afternoon = hour24 > 12;
        if (third == 'A')
            return text_of(afternoon ? "午後" : "午前");
        if (second == 'P')
            return text_of(afternoon ? "PM" : "AM");
        return text_of(afternoon ? "pm" : "am");
    }
    case am_pm_24_dotted: {
        bool afternoon = hour24 > 12;
        if (second == 'P')
            return text_of(afternoon ? "P.M." : "A.M.");
        return text_of(afternoon ? "p.m." : "a.m.");
    }
    case tab_char:
        return text_of("\t");
    case folder_macro:
        break;
    }
    return text_of("");
}

void replace_rows(char *text, size_t capacity, char *work)
{
    int count = store.replace_count < replace_capacity ? store.replace_count : replace_capacity;
    for (int i = 0; i < count; ++i) {
        text_piece to = text_of(store.replace_to[i]);
        substitute_all(text, capacity, work, store.replace_from[i], fixed_replacement, &to);
    }
}

} // namespace

void expand_date_folder_macros(char *text, size_t capacity)
{
    if (find_pattern(text, "%$tb%"))
        output.tab_macro_present = 1;
    // Every pass fits, or is cut, in the shared work buffer.
    if (capacity > work_buffer_capacity)
        capacity = work_buffer_capacity;
    char *work = macro_work_buffer();
    replace_rows(text, capacity, work);

    date_context date;
    os_local_time(&date.now);
    date.era_base_year = settings.era_base_year;
    if (date.era_base_year <= 0 || date.era_base_year >= date.now.year)
        date.era_base_year = default_era_base_year;

    for (const macro_entry &entry : macro_table) {
        if (entry.kind == folder_macro) {
            if (!find_pattern(text, entry.name))
                continue;
            char folder[path_capacity];
            if (!os_special_folder(settings.main_window, entry.csidl, folder))
                continue; // the system cannot say: the macro stays in the text
            text_piece path = text_of(folder);
            substitute_all(text, capacity, work, entry.name, fixed_replacement, &path);
        } else {
            date.kind = entry.kind;
            substitute_all(text, capacity, work, entry.name, date_replacement, &date);
        }
    }

    replace_rows(text, capacity, work);
}
