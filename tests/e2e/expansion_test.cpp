// Expansion where it meets the system: file items read from disk up to the text buffer's size, the
// local time, the special folders and start options; unreadable file items.
#include "e2e_support.h"

using namespace e2e;

namespace {

// output_text's capacity: a file must leave room for the terminator to be read whole.
constexpr size_t output_capacity = 1040000;

using Expansion = bench;

// "first\r\nsecond\r\n" followed by filler lines, exactly size bytes.
std::string big_text(size_t size)
{
    std::string text = "first\r\nsecond\r\n";
    while (text.size() < size)
        text += std::string(98, 'x') + "\r\n";
    text.resize(size);
    return text;
}

std::string data_file(const std::string &item)
{
    return lines({"[system]", "@replace=1", "@match=1", "%end", "[data]", item, "%end"});
}

// "YYYY-MM-DD HH" of the moment.
std::string date_hour(const SYSTEMTIME &t)
{
    char text[64];
    snprintf(text, sizeof text, "%d-%02d-%02d %02d", t.wYear, t.wMonth, t.wDay, t.wHour);
    return text;
}

} // namespace

TEST_F(Expansion, ChosenItemTakesWhatTheSystemHolds)
{
    char windows[MAX_PATH] = "";
    ASSERT_TRUE(GetWindowsDirectoryA(windows, sizeof windows));
    ASSERT_TRUE(write_file(in_dir("fits.txt"), big_text(output_capacity - 1)));
    // 表 and ソ end in the byte 0x5C, which must not be taken for a path separator.
    ASSERT_TRUE(write_file(in_dir("表 ソ.txt"), "日本語の名前\r\n"));
    const struct {
        const char *name;
        std::string item, args;
        bool menu;
        std::string pasted; // "%D" stands for the date and hour of the moment
    } rows[] = {
        {"a file of the text buffer's size less the terminator is read whole", "$DIR\\fits.txt | Fits\r\n>#-L:2",
         "", true, "second"},
        {"date macros give the local date and hour", "%4y%-%0m%-%0d% %0H% | &Date", "", true, "%D"},
        {"the folder macro gives the Windows folder", "%Windows%\\win.ini | &Win", "", true,
         std::string(windows) + "\\win.ini"},
        {"a quoted Japanese path with /#L is pasted without a menu", "from default | &Item",
         "/#L \"$DIR\\表 ソ.txt\"", false, "日本語の名前\r\n"},
        {"/#i= with one hit pastes it without a window", "apple pie | Apple\r\ngrape | Grape", "/#i=gra", false,
         "grape"},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        target_app &t = launch_target("ab[XY]cd", 3, 5);
        SYSTEMTIME before, after;
        GetLocalTime(&before);
        process &p = start_mivra(data_file(with_dir(r.item)), r.args);
        bool menu_seen = false;
        EXPECT_TRUE(poll_until([&] { return (menu_seen = find_popup_menu(p.id) != nullptr) || !process_running(p); }));
        EXPECT_EQ(menu_seen, r.menu) << describe_windows(p.id);
        if (menu_seen)
            press_key(VK_RETURN); // the first entry is highlighted
        expect_ends_with_zero(p);
        GetLocalTime(&after);
        // The hour may change between start and end: either moment's passes.
        const bool of_before = window_text(t.edit1).find(date_hour(before)) != std::string::npos;
        std::string expected = "ab[" + r.pasted + "]cd";
        if (const size_t at = expected.find("%D"); at != std::string::npos)
            expected.replace(at, 2, date_hour(of_before ? before : after));
        expect_edit_text(t.edit1, expected);
    }
}

// One byte over the text buffer: the file is refused (a file that cannot be opened: Startup's data file).
TEST_F(Expansion, FileItemThatCannotBeReadShowsTheMessageAndPastesNothing)
{
    ASSERT_TRUE(write_file(in_dir("big.txt"), big_text(output_capacity + 1)));
    target_app &t = launch_target("ab[XY]cd", 3, 5);
    process &p = start_mivra(data_file(in_dir("big.txt") + " | File\r\n>"));
    ASSERT_TRUE(wait_popup_menu(p.id));
    press_key(VK_RETURN);
    EXPECT_EQ(take_message_box(p), "データファイルが読めません！");
    expect_ends_with_zero(p);
    expect_untouched_after_mark(t, "ab[", "]cd");
}
