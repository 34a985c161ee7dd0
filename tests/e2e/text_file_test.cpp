// Listed text files in the real program: a file's lines in columns and lettered groups, the "/#f"
// popup, and the search window over a file's lines, where Insert also appends to the file.
#include "e2e_support.h"

using namespace e2e;

namespace {

const std::string columns_and_groups = "one\ntwo\n\n\nthree\n\n\n\ngroup first\ngroup second\n";

using TextFile = bench;

TEST_F(TextFile, MenusPopupsAndTheSearchWindowPasteTheChosenLine)
{
    const struct {
        const char *name, *args;
        std::vector<BYTE> keys;
        const char *pasted;
        bool plain;
        const char *typed = ""; // in the search window
        // The file before and after; "<missing>": deleted once the search window shows.
        std::string file = columns_and_groups, file_after = columns_and_groups;
    } rows[] = {
        {"the second column, reached with Right", "", {'3', open_menus_2, 'A', open_menus_3, VK_RIGHT, VK_RETURN},
         "three", false},
        {"an entry of group A", "", {'3', open_menus_2, 'A', open_menus_3, 'A', open_menus_4, VK_DOWN, VK_RETURN},
         "group second", true},
        {"/#f lists the files; a line of its submenu", "/#f", {'A', open_menus_2, VK_DOWN, VK_RETURN}, "two", false},
        {"&@ 通常起動, the last entry, goes on to the main menu", "/#f", {VK_UP, VK_RETURN, next_menu, 'I'},
         "item text", false},
        {"a dismissed popup ends the start", "/#f=memo", {VK_ESCAPE}, "", false},
        {"Insert appends the typed line and pastes it", "/#i /#f=memo", {VK_INSERT}, "new line", true, "new line",
         "one\ntwo\n", "one\ntwo\nnew line\r\n"},
        {"Insert ends an unfinished last line first", "/#i /#f=memo", {VK_INSERT}, "new", true, "new", "one\ntwo",
         "one\ntwo\r\nnew\r\n"},
        {"Insert into a file deleted meanwhile pastes only", "/#i /#f=memo", {VK_INSERT}, "new", true, "new", "one\n",
         "<missing>"},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        target_app &t = launch_target("[]", 1, 1, "", r.plain);
        ASSERT_TRUE(write_file(in_dir("memo.txt"), r.file));
        process &p = start_mivra(
            lines({"[data]", "item text | 項目(&I)", "%end", "[file]", in_dir("memo.txt"), "%end"}), r.args);
        if (*r.typed) {
            HWND edit = wait_search_edit(p.id);
            ASSERT_TRUE(edit);
            ASSERT_TRUE(r.file_after != "<missing>" || DeleteFileA(in_dir("memo.txt").c_str()));
            type_text(r.typed);
            EXPECT_TRUE(poll_until([&] { return window_text(edit) == r.typed; }));
        } else {
            ASSERT_TRUE(wait_popup_menu(p.id));
        }
        press_keys(p.id, r.keys);
        expect_ends_with_zero(p);
        expect_edit_text(t.edit1, std::string("[") + r.pasted + "]", 5000);
        EXPECT_EQ(file_text(in_dir("memo.txt")), r.file_after);
    }
}

} // namespace
