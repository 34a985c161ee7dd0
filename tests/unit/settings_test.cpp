// The "[system]" options as the loader hands each line over, and the path file.

#include "datafile/load_dump.h"
#include "datafile/options.h"
#include "datafile_support.h"

namespace {

// "lines" are "\n"-separated option lines, shown as the option of the last line sets them. `before`
// runs first. The search window is in use, so that its options are read (the golden files show that
// they are not read for the popup menu).
struct option_row {
    const char *name;
    std::string lines;
    std::string expected;
    void (*before)() = nullptr;
};

const std::string w40(40, 'w'), w31 = w40.substr(0, 31), log = "C:\\app\\log.ini";
void long_exe_dir()
{
    copy_text(settings.exe_dir, sizeof settings.exe_dir, std::string(200, 'd').c_str());
}

// The checker's dump line of the option that `line` names ("@menu" or "@menu=..."), without the name;
// "@break" shows on the "@dlm" line, "@except" on the "@select" line, any other name the switches.
std::string shown_option(const std::string &line)
{
    std::string name = line.substr(0, line.find('=')), all;
    for (char &c : name)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    name = name == "@break" ? "@dlm" : name == "@except" ? "@select" : name;
    dump_settings(
        [](const char *dumped, void *to) { *static_cast<std::string *>(to) += "\n" + std::string(dumped); },
        &all);
    size_t at = all.find("\n" + name + " ");
    at = at == std::string::npos ? all.find("\nswitches ") : at;
    const size_t from = all.find(' ', at) + 1;
    return all.substr(from, all.find('\n', from) - from);
}

} // namespace

TEST(SystemOptions, EachLineSetsItsFields)
{
    const std::string f140(140, 'f'), f127(127, 'f'), n127(127, 'n'),
        face = "ＭＳ Ｐゴシック 13 400 0", wait = "@wait=5,5,7,9\n", file = "@file=1,100,10,1,100,1,//\n",
        window = "@window=300,500,500\n", off = "0 1000 0 0 " + face, font = "@font=Courier,18,6,1\n";
    auto no_mouse = [] { settings.mouse_present = 0; };
    const option_row rows[] = {
        {"1-byte @dlm=, no = ignored; empty @break= no mark", "@dlm=|\n@dlm##\n@break=", "[ | ] []"},
        {"@dlm= is the whole value, commas and blanks included", "@dlm= a,b ", "[ a,b ] [↓]"},
        {"option names ignore case", "@DLM=##", "[##] [↓]"},
        {"@dlm=, @break= cut to 31 bytes", "@dlm=" + w40 + "\n@break=" + w40, "[" + w31 + "] [" + w31 + "]"},
        {"@path= takes one byte; nothing is ignored", "@path=x\n@path=", "1 x"},
        {"own lists from 1 byte; empty ignored", "@select=a\n@select=\n@except=x\n@except=", "a / x"},
        {"10 names, cut to 31", "@select=" + w40 + ",2,3,4,5,6,7,8,9,10,11", w31 + "|2|3|4|5|6|7|8|9|10 /"},
        {"empty names are skipped and do not count towards 10", "@select=a,,,,,,,,,,,,b,", "a|b /"},
        {"@font=: 1 byte, defaults first", "@font=Arial,20,7,1\n@font=X\n@font=", "X 13 400 0 1"},
        {"height 0: 14; italic 2 off", "@font=,0,0,2", "ＭＳ Ｐゴシック 14 0 0 1"},
        {"face cut; -3: 14; weight 12: 400", "@font=" + f140 + ",-3,12", f127 + " 14 400 0 1"},
        // Switches carry their value in the name: any other value matches no option.
        {"@replace=10 begins with @replace=1", "@replace=10", "1 0 0 1 1 0 1"},
        {"@clip=0 inserts into the control", "@clip=0", "0 0 0 0 1 0 1"},
        {"other values", "@replace=0\n@sendkey=0\n@clip=1\n@sort=1\n@match=0\n@guidance=1", "0 0 0 1 1 0 1"},
        // Menu position.
        {"mouse, ignoring case", "@menu=MOUSE", "2 0 0"},
        {"mous2", "@menu=mous2", "3 0 0"},
        {"center, found inside the value", "@menu= at center", "4 0 0"},
        {"cursor", "@menu=cursor", "5 0 0"},
        {"mous2 without a mouse is 0", "@menu=mous2", "0 0 0", no_mouse},
        {"active, like any other word, is 0", "@menu=active", "0 0 0"},
        {"x,y is position 1; x is cut to 6 bytes", "@menu=-1234567,20", "1 -12345 20"},
        {"x only has to contain MAX; a last y must be exactly MAX", "@menu=aMaxb,MAX1", "1 1280 0"},
        {"a y followed by a comma only has to contain MAX", "@menu=10,xMAXx,5", "1 10 984"},
        {"two bytes of value are ignored, leaving the next line its turn", "@menu=ab\n@menu=center", "4 0 0"},
        {"command line wins", "@menu=cursor", "4 0 0", [] { parse_menu_value("center\r\n"); }},
        // Numbers and their ranges.
        {"@item= without a value is ignored", "@item=1,30\n@item=", "1 30"},
        {"a missing length is left alone; 0 hides texts", "@item=1,30\n@item=0", "0 30"},
        {"only 1 shows texts; -1 shows whole texts", "@item=2,-1", "0 0"},
        {"item length 9 is below the range", "@item=1,9", "1 20"},
        {"item length 10 is the least", "@item=1,10", "1 10"},
        {"item length 50 is the most", "@item=1,50", "1 50"},
        {"item length 51 is above the range", "@item=1,51", "1 20"},
        {"@year= with nothing gives 0", "@year=", "0"},
        {"@log= takes one byte; nothing is ignored", "@log=2\n@log=", "2 20 C:\\app\\log.ini"},
        {"mode 3, count 9, a 128-byte name out of range", "@log=2,30\n@log=3,9,n" + n127, "0 20 " + log},
        {"count 10, a 5-byte name beside the program the least", "@log=1,10,a.ini", "1 10 C:\\app\\a.ini"},
        {"count 50 and a 127-byte name are the most", "@log=1,50," + n127, "1 50 C:\\app\\" + n127},
        {"count 51 and a 4-byte name are out of range", "@log=1,51,a.in", "1 20 C:\\app\\log.ini"},
        {"a log path that would not fit keeps the old one", "@log=1,20," + n127, "1 20 " + log, long_exe_dir},
        // Head and tail stay within 100 together, the tail never longer than the head.
        {"@hist= with one byte is ignored", "@hist=40,20\n@hist=5", "40 20"},
        {"head + tail may reach 100, the tail as long as the head", "@hist=50,50", "50 50"},
        {"head + tail over 100 gives tail 0", "@hist=60,41", "60 0"},
        {"head 10 is the least; a tail longer than the head gives 0", "@hist=10,11", "10 0"},
        {"head 100 is the most; a negative tail gives 0", "@hist=100,-1", "100 0"},
        {"head 9 is out of range", "@hist=9,0", "30 0"},
        {"head 101 is out of range", "@hist=101,0", "30 0"},
        {"an earlier tail that no longer fits is dropped", "@hist=40,20\n@hist=100", "100 0"},
        {"an earlier tail that still fits stays", "@hist=40,20\n@hist=60", "60 20"},
        {"@wait= without a value is ignored", wait + "@wait=", "5 5 7 9"},
        {"1 is the least first wait; values are cut to 15 bytes", "@wait=1,0000000000000002", "1 1000 0 0"},
        {"highest waits and the least threshold", "@wait=10000,1,10000,10000", "10000 1 10000 10000"},
        {"waits out of range fall back", wait + "@wait=10001,0,-1,10001", "100 1000 0 0"},
        {"a first wait 0 falls back; missing values are left alone", wait + "@wait=0", "100 5 7 9"},
        {"@file=0 turns the section off", "@file=0", "0 25 4 1000 0 0 ;"},
        {"@file= nonzero turns it on", "@file=0\n@file=7", "1 25 4 1000 0 0 ;"},
        {"@file= highest values, least line count, comment mark", file, "1 100 10 1 100 1 //"},
        {"@file= without a value is ignored", file + "@file=", "1 100 10 1 100 1 //"},
        {"out of range; empty mark kept", file + "@file=1,101,11,0,101,2,", "1 25 4 1000 0 0 //"},
        {"@file= rows and columns 0 fall back", file + "@file=1,0,0", "1 25 4 1 100 1 //"},
        {"least; mark cut to 15", "@file=1,1,1,1,1,1," + w40, "1 1 1 1 1 1 " + w40.substr(0, 15)},
        {"@window= with two bytes is ignored", window + "@window=12", "300 500 500 10 30"},
        {"@window= with three bytes is taken", "@window=200", "200 160 150 10 30"},
        {"@window= highest sizes and the offsets", "@window=300,500,500,-5,7", "300 500 500 -5 7"},
        {"least sizes; offset cut to 6", "@window=120,150,70,1234567", "120 150 70 123456 30"},
        {"@window= sizes out of range fall back", window + "@window=119,501,69", "130 160 150 10 30"},
        // Read only when the search window is in use. The preview starts from the list window and the
        // list font as they stand at its line; "@key=" lines share three slots.
        {"@view= with nothing is mode 0, which turns the preview off, sizes 0", "@view=1\n@view=", off},
        {"@view=3 is out of range", "@view=1\n@view=3", off},
        {"@view=1: list window size, limit 1000, default font", "@view=1", "1 1000 160 150 " + face},
        {"highest width, least height", "@view=1,5000,1000,1,Arial,16,7,1", "1 5000 1000 1 Arial 16 700 1"},
        {"size limit 0 is kept", "@view=1,0", "1 0 160 150 " + face},
        {"out of range fall back", font + "@view=1,-5,149,501,,0,12,3", "1 1000 160 150 Courier 18 600 1"},
        {"empty weight 0; italic 0 off", font + "@view=1,,,,,,,0", "1 1000 160 150 Courier 18 0 0"},
        {"@key= with three bytes is ignored", "@key=123", "0 0 0 0"},
        {"@migemo= length 1 is the least", "@migemo=1", "1"},
        {"@migemo= length 10 is the most", "@migemo=10", "10"},
        {"@migemo= length 0 gives 2", "@migemo=5\n@migemo=0", "2"},
        {"@migemo= length 11 gives 2", "@migemo=5\n@migemo=11", "2"},
        {"@migemo= without a value is ignored", "@migemo=7\n@migemo=", "7"},
        {"@stay= without a value is ignored", "@stay=2\n@stay=", "2 0"},
        {"stay mode 2 is the most; a flag other than 1 is off", "@stay=2,2", "2 0"},
        {"stay mode 3 is out of range", "@stay=3,1", "0 1"},
    };
    // Each row's lines go to fresh settings as the loader hands them over: trimmed, CR LF appended.
    for (const option_row &r : rows) {
        reset_settings();
        reset_fake_system();
        copy_text(settings.exe_dir, sizeof settings.exe_dir, "C:\\app\\");
        copy_text(settings.log_file_path, sizeof settings.log_file_path, "C:\\app\\log.ini");
        settings.screen_width = 1280;
        settings.screen_height = 984;
        settings.mouse_present = 3;
        settings.search_kind = 1;
        if (r.before)
            r.before();
        std::istringstream in(r.lines);
        std::string line, last;
        for (; std::getline(in, line); last = line)
            apply_system_option((line + "\r\n").c_str());
        EXPECT_EQ(shown_option(last), r.expected) << r.name << "  [" << r.lines << "]";
    }
}

// ---- options that name files ---------------------------------------------------------------------

// "@path=" naming a file reads the search path from it (naming a directory, it is the search path:
// the golden case full_file).
TEST(SystemFileOptions, PathFileGivesTheSearchPath)
{
    const std::tuple<const char *, std::string, std::string> rows[] = {
        // name, path.txt, shown
        {"a path= line without tabs", "[x]\r\nPATH=\tC:\\a;\tD:\\b\r\nother\r\n", "1 C:\\a;D:\\b"},
        {"else the file without tabs, breaks", "C:\\a;\r\nD:\\ソ;\t\nE:\\c", "1 C:\\a;D:\\ソ;E:\\c"},
        {"an empty path file leaves no search path", "", "0"},
        {"an empty path= line leaves no search path", "path=\r\n", "0"},
        {"at most 5199 bytes", std::string(6000, 'p'), "1 " + std::string(5199, 'p')},
        {"a cut double-byte end is kept", "C:\\a;\x82", "1 C:\\a;\x82"},
    };
    for (const auto &[name, contents, shown] : rows) {
        datafile_dir d;
        d.write("path.txt", contents);
        copy_text(settings.search_path, sizeof settings.search_path, "old");
        ASSERT_EQ(d.load("[system]\n@path=" + d.path("path.txt") + "\n%end\n"), 1) << name;
        EXPECT_EQ(shown_option("@path"), shown) << name;
        EXPECT_EQ(read_all(d.path("path.txt")), contents) << name << ": reading changed the file";
    }
}
