#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

#include "datafile/options.h"
#include "datafile_support.h"

namespace {

// Applies each "\n"-separated line as the loader hands it over: trimmed, with CR LF appended.
void apply_lines(const std::string &lines)
{
    std::istringstream in(lines);
    std::string line;
    while (std::getline(in, line))
        apply_system_option((line + "\r\n").c_str());
}

void reset_for_options()
{
    reset_settings();
    reset_item_store();
    reset_fake_system();
    copy_text(settings.exe_dir, sizeof settings.exe_dir, "C:\\app\\");
    copy_text(settings.log_file_path, sizeof settings.log_file_path, "C:\\app\\log.ini");
    settings.screen_width = 1280;
    settings.screen_height = 984;
    settings.mouse_present = 3;
}

void search_window()
{
    settings.search_kind = 1;
}
void popup_menu()
{
    settings.search_kind = 0;
}

std::string names(const char (*list)[32], int count)
{
    std::string all;
    for (int i = 0; i < count; ++i)
        all += (i ? "|" : "") + std::string(list[i]);
    return all;
}

#define INT(field) [] { return std::to_string(settings.field); }
#define TEXT(field) [] { return std::string(settings.field); }

struct option_row {
    const char *name;
    void (*before)(); // may be null
    std::string lines;
    std::string (*field)();
    std::string expected;
};

void run_rows(const option_row *rows, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const option_row &r = rows[i];
        reset_for_options();
        if (r.before)
            r.before();
        apply_lines(r.lines);
        EXPECT_EQ(r.field(), r.expected) << r.name << "  [" << r.lines << "]";
    }
}

const std::string long40(40, 'w');

} // namespace

TEST(SystemOptions, DelimiterBreakAndPath)
{
    const option_row rows[] = {
        {"@dlm= with one byte is ignored", nullptr, "@dlm=|", TEXT(delimiter), " | "},
        {"@dlm= with two bytes is taken", nullptr, "@dlm=||", TEXT(delimiter), "||"},
        {"@dlm= keeps trailing blanks", nullptr, "@dlm= - ", TEXT(delimiter), " - "},
        {"@dlm= is one value, commas included", nullptr, "@dlm=a,b", TEXT(delimiter), "a,b"},
        {"option names ignore case", nullptr, "@DLM=##", TEXT(delimiter), "##"},
        {"@dlm= is cut to 31 bytes", nullptr, "@dlm=" + long40, TEXT(delimiter), long40.substr(0, 31)},
        {"@break= with nothing turns the mark off", nullptr, "@break=", TEXT(break_mark), ""},
        {"@break= sets the mark", nullptr, "@break=<br>", TEXT(break_mark), "<br>"},
        {"@break= is cut to 31 bytes", nullptr, "@break=" + long40, TEXT(break_mark), long40.substr(0, 31)},
        {"@path= with nothing is ignored", nullptr, "@path=", INT(has_search_path), "0"},
        {"@path= naming no file is the search path itself", nullptr, "@path=C:\\bin;D:\\ソ",
         TEXT(search_path), "C:\\bin;D:\\ソ"},
        {"@path= naming no file turns the search path on", nullptr, "@path=C:\\bin", INT(has_search_path),
         "1"},
        {"a name without = is no option", nullptr, "@dlm##", TEXT(delimiter), " | "},
        {"an unknown option changes nothing", nullptr, "@unknown=##", TEXT(delimiter), " | "},
    };
    run_rows(rows, sizeof rows / sizeof rows[0]);
}

TEST(SystemOptions, MenuPosition)
{
    const option_row rows[] = {
        {"two bytes of value are ignored", nullptr, "@menu=ab", INT(menu_position), "9"},
        {"active", nullptr, "@menu=active", INT(menu_position), "0"},
        {"center", nullptr, "@menu=center", INT(menu_position), "4"},
        {"cursor", nullptr, "@menu=cursor", INT(menu_position), "5"},
        {"mouse", nullptr, "@menu=mouse", INT(menu_position), "2"},
        {"mous2", nullptr, "@menu=mous2", INT(menu_position), "3"},
        {"words ignore case", nullptr, "@menu=MOUSE", INT(menu_position), "2"},
        {"words are found inside the value", nullptr, "@menu= at center", INT(menu_position), "4"},
        {"mouse without a mouse stays 0", [] { settings.mouse_present = 0; }, "@menu=mouse",
         INT(menu_position), "0"},
        {"mous2 without a mouse stays 0", [] { settings.mouse_present = 0; }, "@menu=mous2",
         INT(menu_position), "0"},
        {"a single number is position 0", nullptr, "@menu=123", INT(menu_position), "0"},
        {"an unknown word is position 0", nullptr, "@menu=corner", INT(menu_position), "0"},
        {"x,y is position 1", nullptr, "@menu=10,20", INT(menu_position), "1"},
        {"x,y sets x", nullptr, "@menu=10,20", INT(menu_x), "10"},
        {"x,y sets y", nullptr, "@menu=10,20", INT(menu_y), "20"},
        {"negative coordinates", nullptr, "@menu=-5,-7", INT(menu_y), "-7"},
        {"MAX for x is the screen width", nullptr, "@menu=MAX,MAX", INT(menu_x), "1280"},
        {"MAX for y is the maximised height", nullptr, "@menu=MAX,MAX", INT(menu_y), "984"},
        {"x containing max ignoring case", nullptr, "@menu=aMaxb,7", INT(menu_x), "1280"},
        {"a last y must be exactly MAX", nullptr, "@menu=10,MAX1", INT(menu_y), "0"},
        {"a last y of max in small letters", nullptr, "@menu=10,max", INT(menu_y), "984"},
        {"a y followed by a comma only has to contain MAX", nullptr, "@menu=10,xMAXx,5", INT(menu_y), "984"},
        {"x is cut to 6 bytes", nullptr, "@menu=1234567,20", INT(menu_x), "123456"},
        {"only the first @menu= line counts", nullptr, "@menu=10,20\n@menu=center", INT(menu_position), "1"},
        {"an ignored short line leaves the next one its turn", nullptr, "@menu=ab\n@menu=center",
         INT(menu_position), "4"},
        {"a position from the command line wins", [] { parse_menu_value("center\r\n"); }, "@menu=cursor",
         INT(menu_position), "4"},
    };
    run_rows(rows, sizeof rows / sizeof rows[0]);
}

TEST(SystemOptions, SwitchesWithTheirValueInTheName)
{
    const option_row rows[] = {
        {"@replace=1", nullptr, "@replace=1", INT(replace_enabled), "1"},
        {"@replace=0 matches nothing", nullptr, "@replace=0", INT(replace_enabled), "0"},
        {"@replace=10 begins with @replace=1", nullptr, "@replace=10", INT(replace_enabled), "1"},
        {"@sendkey=1 turns the data file's choice on", nullptr, "@Sendkey=1", INT(sendkey_enabled), "1"},
        {"@sendkey=1 turns the value in force on", nullptr, "@sendkey=1", INT(sendkey_file_enabled), "1"},
        {"@sendkey=0 matches nothing", nullptr, "@sendkey=0", INT(sendkey_enabled), "0"},
        {"@clip=0 inserts into the control", nullptr, "@clip=0", INT(output_mode), "0"},
        {"@clip=0 keeps clipboard-only from the command line", [] { settings.output_mode = 2; }, "@clip=0",
         INT(output_mode), "2"},
        {"@clip=1 matches nothing", nullptr, "@clip=1", INT(output_mode), "1"},
        {"@sort=0 with the search window", search_window, "@sort=0", INT(sort_list), "0"},
        {"@sort=0 for the popup menu is not read", popup_menu, "@sort=0", INT(sort_list), "1"},
        {"@match=1 with the search window", search_window, "@match=1", INT(match_accept), "1"},
        {"@match=1 for the popup menu is not read", popup_menu, "@match=1", INT(match_accept), "0"},
        {"@match=0 matches nothing", search_window, "@match=0", INT(match_accept), "0"},
        {"@guidance=0 with the search window", search_window, "@guidance=0", INT(guidance), "0"},
        {"@guidance=0 for the popup menu is not read", popup_menu, "@guidance=0", INT(guidance), "1"},
    };
    run_rows(rows, sizeof rows / sizeof rows[0]);
}

TEST(SystemOptions, ItemYearAndStay)
{
    const option_row rows[] = {
        {"@item= without a value is ignored", nullptr, "@item=1,30\n@item=", INT(text_caption_length), "30"},
        {"@item=1 shows texts", nullptr, "@item=1", INT(show_text_default), "1"},
        {"@item=2 is not 1", nullptr, "@item=2,30", INT(show_text_default), "0"},
        {"a missing length is left alone", nullptr, "@item=1,30\n@item=0", INT(text_caption_length), "30"},
        {"-1 shows whole texts", nullptr, "@item=1,-1", INT(text_caption_length), "0"},
        {"5 is below the range", nullptr, "@item=1,5", INT(text_caption_length), "20"},
        {"10 is the lowest length", nullptr, "@item=1,10", INT(text_caption_length), "10"},
        {"50 is the highest length", nullptr, "@item=1,50", INT(text_caption_length), "50"},
        {"51 is above the range", nullptr, "@item=1,51", INT(text_caption_length), "20"},
        {"@year= with nothing gives 0", nullptr, "@year=", INT(era_base_year), "0"},
        {"@year= takes any number", nullptr, "@year=2018", INT(era_base_year), "2018"},
        {"@stay= without a value is ignored",
         [] {
             settings.search_kind = 1;
             settings.stay_mode = 2;
         },
         "@stay=", INT(stay_mode), "2"},
        {"@stay=1,1 mode", search_window, "@stay=1,1", INT(stay_mode), "1"},
        {"@stay=1,1 flag", search_window, "@stay=1,1", INT(stay_flag), "1"},
        {"@stay=2 mode", search_window, "@stay=2,0", INT(stay_mode), "2"},
        {"@stay=3 is out of range", search_window, "@stay=3,2", INT(stay_mode), "0"},
        {"@stay= flag other than 1", search_window, "@stay=1,2", INT(stay_flag), "0"},
        {"@stay= for the popup menu is not read", popup_menu, "@stay=1,1", INT(stay_mode), "0"},
    };
    run_rows(rows, sizeof rows / sizeof rows[0]);
}

TEST(SystemOptions, SelectAndExceptLists)
{
    auto selected = [] { return names(settings.select_names, settings.select_count); };
    auto excepted = [] { return names(settings.except_names, settings.except_count); };
    const option_row rows[] = {
        {"@select= without names is ignored", nullptr, "@select=a\n@select=", selected, "a"},
        {"empty names are skipped", nullptr, "@select=notepad,,wordpad,", selected, "notepad|wordpad"},
        {"at most 10 names", nullptr, "@select=1,2,3,4,5,6,7,8,9,10,11,12", selected, "1|2|3|4|5|6|7|8|9|10"},
        {"empty names do not count towards 10", nullptr, "@select=a,,,,,,,,,,,,b", selected, "a|b"},
        {"a later line replaces the list", nullptr, "@select=a,b\n@select=c", selected, "c"},
        {"names are cut to 31 bytes", nullptr, "@select=" + long40, selected, long40.substr(0, 31)},
        {"double-byte names", nullptr, "@select=メモ帳,ソフト", selected, "メモ帳|ソフト"},
        {"@except= fills its own list", nullptr, "@except=explorer,,cmd", excepted, "explorer|cmd"},
        {"@except= leaves @select= alone", nullptr, "@select=a\n@except=b", selected, "a"},
    };
    run_rows(rows, sizeof rows / sizeof rows[0]);
}

TEST(SystemOptions, ListFont)
{
    const option_row rows[] = {
        {"@font= without a value is ignored", nullptr, "@font=X,20\n@font=", TEXT(list_font_face), "X"},
        {"face", nullptr, "@font=Arial,20,7,1", TEXT(list_font_face), "Arial"},
        {"height", nullptr, "@font=Arial,20,7,1", INT(list_font_height), "20"},
        {"weight digit times 100", nullptr, "@font=Arial,20,7,1", INT(list_font_weight), "700"},
        {"weight digit 0", nullptr, "@font=Arial,20,0", INT(list_font_weight), "0"},
        {"italic", nullptr, "@font=Arial,20,7,1", INT(list_font_italic), "1"},
        {"marks the list font as set", nullptr, "@font=Arial", INT(list_font_set), "1"},
        {"an empty face keeps the default", nullptr, "@font=,20", TEXT(list_font_face), "ＭＳ Ｐゴシック"},
        {"height 0 gives 14", nullptr, "@font=a,0", INT(list_font_height), "14"},
        {"negative height gives 14", nullptr, "@font=a,-3", INT(list_font_height), "14"},
        {"a weight of two digits leaves 400", nullptr, "@font=a,12,12", INT(list_font_weight), "400"},
        {"italic other than 1 is off", nullptr, "@font=a,12,4,2", INT(list_font_italic), "0"},
        {"a later line restores the defaults first", nullptr, "@font=Arial,20,7,1\n@font=Courier",
         INT(list_font_weight), "400"},
        {"a later line restores the default height", nullptr, "@font=Arial,20,7,1\n@font=Courier",
         INT(list_font_height), "13"},
        {"the face is cut to 127 bytes", nullptr, "@font=" + std::string(140, 'f'), TEXT(list_font_face),
         std::string(127, 'f')},
    };
    run_rows(rows, sizeof rows / sizeof rows[0]);
}

TEST(SystemOptions, LogHistoryAndWaits)
{
    const option_row rows[] = {
        {"@log= without a value is ignored", nullptr, "@log=1,30\n@log=", INT(log_mode), "1"},
        {"log mode", nullptr, "@log=2,30,my.log", INT(log_mode), "2"},
        {"log count", nullptr, "@log=2,30,my.log", INT(log_max_entries), "30"},
        {"log name beside the executable", nullptr, "@log=2,30,my.log", TEXT(log_file_path),
         "C:\\app\\my.log"},
        {"log mode 3 is out of range", nullptr, "@log=3", INT(log_mode), "0"},
        {"log count 9 is out of range", nullptr, "@log=1,9", INT(log_max_entries), "20"},
        {"log count 50 is the most", nullptr, "@log=1,50", INT(log_max_entries), "50"},
        {"log count 51 is out of range", nullptr, "@log=1,51", INT(log_max_entries), "20"},
        {"a 4-byte log name is not used", nullptr, "@log=1,20,a.in", TEXT(log_file_path), "C:\\app\\log.ini"},
        {"a 5-byte log name is used", nullptr, "@log=1,20,a.ini", TEXT(log_file_path), "C:\\app\\a.ini"},
        {"a 127-byte log name is used", nullptr, "@log=1,20," + std::string(127, 'n'), TEXT(log_file_path),
         "C:\\app\\" + std::string(127, 'n')},
        {"a 128-byte log name is not used", nullptr, "@log=1,20," + std::string(128, 'n'),
         TEXT(log_file_path), "C:\\app\\log.ini"},
        {"a log path that would not fit keeps the old one",
         [] { copy_text(settings.exe_dir, sizeof settings.exe_dir, std::string(200, 'd').c_str()); },
         "@log=1,20," + std::string(100, 'n'), TEXT(log_file_path), "C:\\app\\log.ini"},
        {"@hist= with one byte is ignored", nullptr, "@hist=40,20\n@hist=5", INT(history_head_chars), "40"},
        {"head and tail", nullptr, "@hist=50,50", INT(history_tail_chars), "50"},
        {"head + tail over 100 gives tail 0", nullptr, "@hist=50,60", INT(history_tail_chars), "0"},
        {"tail longer than head gives 0", nullptr, "@hist=40,41", INT(history_tail_chars), "0"},
        {"negative tail gives 0", nullptr, "@hist=40,-1", INT(history_tail_chars), "0"},
        {"head 9 is out of range", nullptr, "@hist=9,0", INT(history_head_chars), "30"},
        {"head 100 is the most", nullptr, "@hist=100,0", INT(history_head_chars), "100"},
        {"head 101 is out of range", nullptr, "@hist=101,0", INT(history_head_chars), "30"},
        {"an earlier tail that no longer fits is dropped", nullptr, "@hist=40,20\n@hist=100",
         INT(history_tail_chars), "0"},
        {"an earlier tail that still fits stays", nullptr, "@hist=40,20\n@hist=60", INT(history_tail_chars),
         "20"},
        {"@wait= first value", nullptr, "@wait=200", INT(long_text_extra_wait), "200"},
        {"@wait= first value 0 is out of range", nullptr, "@wait=0", INT(long_text_extra_wait), "100"},
        {"@wait= first value 10001 is out of range", nullptr, "@wait=10001", INT(long_text_extra_wait),
         "100"},
        {"@wait= threshold 0 gives 1000", nullptr, "@wait=5,0", INT(long_text_threshold), "1000"},
        {"@wait= threshold 1", nullptr, "@wait=5,1", INT(long_text_threshold), "1"},
        {"@wait= segment wait", nullptr, "@wait=5,5,10000", INT(segment_wait), "10000"},
        {"@wait= segment wait -1 gives 0", nullptr, "@wait=5,5,-1", INT(segment_wait), "0"},
        {"@wait= chord wait", nullptr, "@wait=5,5,5,250", INT(chord_key_wait), "250"},
        {"@wait= chord wait 10001 gives 0", nullptr, "@wait=5,5,5,10001", INT(chord_key_wait), "0"},
        {"@wait= missing values are left alone", nullptr, "@wait=5,5,7,9\n@wait=6", INT(chord_key_wait), "9"},
        {"@wait= values are cut to 15 bytes", nullptr, "@wait=5,0000000000000002", INT(long_text_threshold),
         "1000"},
    };
    run_rows(rows, sizeof rows / sizeof rows[0]);
}

TEST(SystemOptions, TextFilesAndWindows)
{
    const option_row rows[] = {
        {"@file=0 turns the section off", nullptr, "@file=0", INT(file_section_enabled), "0"},
        {"@file= nonzero turns it on", nullptr, "@file=0\n@file=7", INT(file_section_enabled), "1"},
        {"@file= rows", nullptr, "@file=1,100", INT(file_menu_rows), "100"},
        {"@file= rows 0 gives 25", nullptr, "@file=1,0", INT(file_menu_rows), "25"},
        {"@file= rows 101 gives 25", nullptr, "@file=1,101", INT(file_menu_rows), "25"},
        {"@file= columns", nullptr, "@file=1,1,10", INT(file_menu_columns), "10"},
        {"@file= columns 11 gives 4", nullptr, "@file=1,1,11", INT(file_menu_columns), "4"},
        {"@file= max lines", nullptr, "@file=1,1,1,1", INT(file_menu_max_lines), "1"},
        {"@file= max lines 0 gives 1000", nullptr, "@file=1,1,1,0", INT(file_menu_max_lines), "1000"},
        {"@file= caption length", nullptr, "@file=1,1,1,1,100", INT(file_caption_length), "100"},
        {"@file= caption length 101 gives 0", nullptr, "@file=1,1,1,1,101", INT(file_caption_length), "0"},
        {"@file= numbered", nullptr, "@file=1,1,1,1,1,1", INT(file_menu_numbered), "1"},
        {"@file= numbered 2 is off", nullptr, "@file=1,1,1,1,1,2", INT(file_menu_numbered), "0"},
        {"@file= comment mark", nullptr, "@file=1,1,1,1,1,1,//", TEXT(comment_mark), "//"},
        {"@file= empty comment mark keeps ;", nullptr, "@file=1,1,1,1,1,1,", TEXT(comment_mark), ";"},
        {"@file= comment mark is cut to 15 bytes", nullptr, "@file=1,1,1,1,1,1," + long40, TEXT(comment_mark),
         long40.substr(0, 15)},
        {"@window= two bytes are ignored", nullptr, "@window=12", INT(search_window_width), "130"},
        {"@window=100,... width falls back", nullptr, "@window=100,600,50,-5,7", INT(search_window_width),
         "130"},
        {"@window=... list width falls back", nullptr, "@window=100,600,50,-5,7", INT(list_window_width),
         "160"},
        {"@window=... list height falls back", nullptr, "@window=100,600,50,-5,7", INT(list_window_height),
         "150"},
        {"@window=... x offset negated", nullptr, "@window=100,600,50,-5,7", INT(window_offset_x), "-5"},
        {"@window=... y offset", nullptr, "@window=100,600,50,-5,7", INT(window_offset_y), "7"},
        {"@window= highest sizes", nullptr, "@window=300,500,500", INT(list_window_height), "500"},
        {"@window= lowest sizes", nullptr, "@window=120,150,70", INT(list_window_height), "70"},
        {"@window= offsets are cut to 6 bytes", nullptr, "@window=200,200,200,1234567", INT(window_offset_x),
         "123456"},
    };
    run_rows(rows, sizeof rows / sizeof rows[0]);
}

TEST(SystemOptions, Preview)
{
    const option_row rows[] = {
        {"@view=0 leaves the preview off", search_window, "@view=0", INT(preview_mode), "0"},
        {"@view=0 leaves its width 0", search_window, "@view=0", INT(preview_width), "0"},
        {"@view=0 leaves its height 0", search_window, "@view=0", INT(preview_height), "0"},
        {"@view= with nothing is mode 0", search_window, "@view=", INT(preview_height), "0"},
        {"@view=3 is out of range", search_window, "@view=3", INT(preview_mode), "0"},
        {"@view=1 takes the list width", search_window, "@view=1", INT(preview_width), "160"},
        {"@view=1 takes the list height", search_window, "@view=1", INT(preview_height), "150"},
        {"@view=1 size limit 1000", search_window, "@view=1", INT(preview_size_limit), "1000"},
        {"@view=1 default font face", search_window, "@view=1", TEXT(preview_font_face), "ＭＳ Ｐゴシック"},
        {"@view=1 default font height", search_window, "@view=1", INT(preview_font_height), "13"},
        {"@view= sizes follow an earlier @window=", search_window, "@window=200,300,200\n@view=2",
         INT(preview_width), "300"},
        {"@view= font follows an earlier @font=", search_window, "@font=Courier,18,6,1\n@view=1",
         TEXT(preview_font_face), "Courier"},
        {"@view= font weight follows @font=", search_window, "@font=Courier,18,6,1\n@view=1",
         INT(preview_font_weight), "600"},
        {"size limit", search_window, "@view=1,5000", INT(preview_size_limit), "5000"},
        {"size limit with leading blanks", search_window, "@view=1,  2000", INT(preview_size_limit), "2000"},
        {"negative size limit gives 1000", search_window, "@view=1,-5", INT(preview_size_limit), "1000"},
        {"size limit 0 is kept", search_window, "@view=1,0", INT(preview_size_limit), "0"},
        {"width", search_window, "@view=1,,1000", INT(preview_width), "1000"},
        {"width 149 takes the list width", search_window, "@view=1,,149", INT(preview_width), "160"},
        {"height", search_window, "@view=1,,,1", INT(preview_height), "1"},
        {"height 501 takes the list height", search_window, "@view=1,,,501", INT(preview_height), "150"},
        {"face", search_window, "@view=1,,,,Arial", TEXT(preview_font_face), "Arial"},
        {"font height", search_window, "@view=1,,,,,16", INT(preview_font_height), "16"},
        {"font height 0 is left", search_window, "@view=1,,,,,0", INT(preview_font_height), "13"},
        {"font weight digit", search_window, "@view=1,,,,,,7", INT(preview_font_weight), "700"},
        {"font weight 12 is left", search_window, "@view=1,,,,,,12", INT(preview_font_weight), "400"},
        {"italic 1", search_window, "@view=1,,,,,,,1", INT(preview_font_italic), "1"},
        {"italic 3 is left",
         [] {
             settings.search_kind = 1;
             apply_lines("@font=a,1,1,1");
         },
         "@view=1,,,,,,,3", INT(preview_font_italic), "1"},
        {"italic 0 turns it off",
         [] {
             settings.search_kind = 1;
             apply_lines("@font=a,1,1,1");
         },
         "@view=1,,,,,,,0", INT(preview_font_italic), "0"},
        {"@view= for the popup menu is not read", popup_menu, "@view=1", INT(preview_width), "0"},
    };
    run_rows(rows, sizeof rows / sizeof rows[0]);
}

TEST(SystemOptions, PasteKeysAndMigemo)
{
    auto keys = [] {
        std::string all = std::to_string(settings.paste_key_count) + ":";
        for (int i = 0; i < settings.paste_key_count; ++i)
            all += " " + std::to_string(settings.paste_keys[i]);
        return all;
    };
    const option_row rows[] = {
        {"@key= with two bytes is ignored", search_window, "@key=17", keys, "0:"},
        {"@key= two hexadecimal codes", search_window, "@key=0x11,0x56", keys, "2: 17 86"},
        {"@key= decimal codes", search_window, "@key=1234", keys, "1: 1234"},
        {"@key= lines share three slots", search_window, "@key=0x11,0x56\n@key=0x12,0x13", keys,
         "3: 17 86 18"},
        {"@key= reads three values of a line", search_window, "@key=0x11,0x12,0x13,0x14", keys,
         "3: 17 18 19"},
        {"@key= for the popup menu is not read", popup_menu, "@key=0x11,0x56", keys, "0:"},
        {"@migemo= length", search_window, "@migemo=5", INT(migemo_min_length), "5"},
        {"@migemo= length 10 is the most", search_window, "@migemo=10", INT(migemo_min_length), "10"},
        {"@migemo= length 0 gives 2", search_window, "@migemo=0", INT(migemo_min_length), "2"},
        {"@migemo= length 11 gives 2", search_window, "@migemo=11", INT(migemo_min_length), "2"},
        {"@migemo= without a value is ignored",
         [] {
             settings.search_kind = 1;
             settings.migemo_min_length = 7;
         },
         "@migemo=", INT(migemo_min_length), "7"},
        {"@migemo= for the popup menu is not read", popup_menu, "@migemo=5", INT(migemo_min_length), "2"},
    };
    run_rows(rows, sizeof rows / sizeof rows[0]);
}

// ---- options that name files ---------------------------------------------------------------------

TEST(SystemFileOptions, PathFileGivesTheSearchPath)
{
    struct row {
        const char *name;
        std::string contents;
        std::string search_path;
        int has;
    } rows[] = {
        {"a path= line, tabs removed, up to its line end", "[x]\r\nPATH=\tC:\\a;\tD:\\b\r\nother\r\n",
         "C:\\a;D:\\b", 1},
        {"without path= the whole file without tabs and line ends", "C:\\a;\r\nD:\\ソ;\t\nE:\\c",
         "C:\\a;D:\\ソ;E:\\c", 1},
        {"an empty path file leaves no search path", "", "", 0},
        {"an empty path= line leaves no search path", "path=\r\n", "", 0},
        {"at most 5199 bytes", std::string(6000, 'p'), std::string(5199, 'p'), 1},
    };
    for (const row &r : rows) {
        datafile_dir d;
        d.write("path.txt", r.contents);
        copy_text(settings.search_path, sizeof settings.search_path, "old");
        ASSERT_EQ(d.load("[system]\n@path=" + d.path("path.txt") + "\n%end\n"), 1) << r.name;
        EXPECT_EQ(std::string(settings.search_path), r.search_path) << r.name;
        EXPECT_EQ(settings.has_search_path, r.has) << r.name;
    }
    datafile_dir d;
    d.make_dir("tools");
    ASSERT_EQ(d.load("[system]\n@path=" + d.path("tools") + "\n%end\n"), 1);
    EXPECT_EQ(std::string(settings.search_path), d.path("tools")) << "a directory is the search path itself";
    EXPECT_EQ(settings.has_search_path, 1);
}

TEST(SystemFileOptions, EditorAndDictionaryMustBeExistingFiles)
{
    datafile_dir d;
    d.make_dir("bin");
    d.write("bin/editor.exe", "");
    d.make_dir("dict/migemo-dict");
    d.write("dict/other-dict", "");
    settings.search_kind = 1;
    copy_text(settings.migemo_dict_path, sizeof settings.migemo_dict_path, "old dict");
    ASSERT_EQ(d.load("[system]\n@path=" + d.path("bin") +
                     "\n@editor=editor.exe\n@editor=missing.exe\n"
                     "@migemo=3," +
                     d.path("dict/migemo-dict") + "\n%end\n"),
              1);
    EXPECT_EQ(std::string(settings.editor_path), d.path("bin") + "/editor.exe");
    EXPECT_STREQ(settings.migemo_dict_path, "old dict") << "a directory is not a dictionary";
    EXPECT_EQ(settings.migemo_min_length, 3);

    datafile_dir d2;
    d2.write("dict.txt", "");
    d2.make_dir("bin");
    settings.search_kind = 1;
    ASSERT_EQ(
        d2.load("[system]\n@migemo=4," + d2.path("dict.txt") + "\n@editor=" + d2.path("bin") + "\n%end\n"),
        1);
    EXPECT_EQ(std::string(settings.migemo_dict_path), d2.path("dict.txt"));
    EXPECT_STREQ(settings.editor_path, "") << "a directory is not an editor";
}
