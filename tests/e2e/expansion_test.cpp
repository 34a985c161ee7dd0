// Expansion, macros and the command line of mivra.exe, end to end: file items with line and marker
// ranges, unreadable and oversized files, the date, folder, replace-row and clipboard macros, and
// the starts "/#b", "/#c", "/#s=" and a file named on the command line with "/#l". Every case runs
// against a fresh target whose edit 1 holds a known text, caret and selection.
#include "e2e_support.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace e2e;

namespace {

// output_text's capacity: a file must leave room for the terminator to be read whole.
constexpr size_t output_capacity = 1040000;

class Expansion : public bench {
  protected:
    void SetUp() override
    {
        bench::SetUp();
        if (HasFatalFailure())
            return;
        exe_ = install_mivra(dir_);
        ASSERT_FALSE(exe_.empty()) << "cannot copy mivra.exe";
    }

    std::string in_dir(const std::string &name) const { return join_path(dir_, name); }

    void write_data_file(const std::string &contents, const std::string &name = "mivra.ini")
    {
        ASSERT_TRUE(write_file(in_dir(name), contents)) << name;
    }

    // A fresh target with edit 1 holding text and the selection [from, to); closed by finish().
    target_app *open_target(const std::string &text, int from, int to)
    {
        target_app &t = launch_target(text, from, to);
        if (!t.window) {
            ADD_FAILURE() << "the target did not come up";
            return nullptr;
        }
        return &t;
    }

    process &start(const std::string &args, const std::string &work_dir = "")
    {
        return launch(exe_, args, work_dir.empty() ? dir_ : work_dir);
    }

    std::string exe_;
};

class CommandLine : public Expansion {};

// Ends what one activation left: mivra.exe when it still runs (it would hold "Mivra_Mark" and take
// every later start as a hand-over), and the target, so that the next one becomes the foreground.
void finish(process &p, target_app *t)
{
    kill_process(p);
    if (t && t->proc.handle) {
        PostMessageA(t->window, WM_CLOSE, 0, 0);
        if (!wait_process_exit(t->proc, wait_ms, nullptr))
            kill_process(t->proc);
    }
}

// What was seen while mivra.exe ran to its end.
struct run_watch {
    bool ended = false;
    DWORD exit_code = STILL_ACTIVE;
    bool menu_seen = false;
    bool box_seen = false;
};

run_watch watch_until_end(process &p)
{
    run_watch w;
    w.ended = poll_until([&] {
        w.menu_seen = w.menu_seen || find_popup_menu(p.id, nullptr) != nullptr;
        w.box_seen = w.box_seen || find_message_box(p.id) != nullptr;
        return !process_running(p);
    });
    if (w.ended)
        GetExitCodeProcess(p.handle, &w.exit_code);
    return w;
}

// A start that ends by itself without showing anything (a direct start, or a choice made already).
void expect_ends_quietly(process &p)
{
    run_watch w = watch_until_end(p);
    ASSERT_TRUE(w.ended) << "mivra.exe did not end; its windows:\n" << describe_windows(p.id);
    EXPECT_EQ(w.exit_code, 0u);
    EXPECT_FALSE(w.menu_seen) << "a menu was shown";
    EXPECT_FALSE(w.box_seen) << "a message box was shown";
}

// The main menu opens with its first entry highlighted (mivra presses Down itself); Enter takes it.
void choose_first_entry(process &p)
{
    ASSERT_TRUE(wait_popup_menu(p.id, nullptr)) << "no menu; the windows of mivra.exe:\n"
                                                << describe_windows(p.id);
    press_key(VK_RETURN);
}

void expect_edit_becomes(target_app &t, const std::vector<std::string> &accepted)
{
    std::string seen;
    bool ok = poll_until([&] {
        seen = window_text(t.edit1);
        for (const std::string &a : accepted)
            if (seen == a)
                return true;
        return false;
    });
    EXPECT_TRUE(ok) << "edit 1 holds \"" << seen << "\", expected \"" << accepted.front() << "\""
                    << (accepted.size() > 1 ? " (or another accepted form)" : "");
}

void expect_edit_becomes(target_app &t, const std::string &expected)
{
    expect_edit_becomes(t, std::vector<std::string>{expected});
}

// Input reaches the target in order: once a key typed now has arrived, whatever mivra.exe pasted or
// typed before has arrived too. Edit 1 must then hold `before` with only that key over the selection.
void expect_nothing_pasted(target_app &t, const std::string &before, int from, int to)
{
    SetForegroundWindow(t.window);
    ASSERT_TRUE(poll_until([&] {
        return GetForegroundWindow() == t.window && focus_of(t.window) == t.edit1;
    })) << "the target did not take the focus back";
    type_text("q");
    std::string seen;
    ASSERT_TRUE(poll_until([&] { return (seen = window_text(t.edit1)).find('q') != std::string::npos; }))
        << "the typed key never arrived; edit 1 holds \"" << seen << "\"";
    EXPECT_EQ(seen, before.substr(0, from) + "q" + before.substr(to)) << "something was pasted";
}

bool clipboard_is(const std::string &expected, std::string *seen)
{
    return get_clipboard_text(seen) && *seen == expected;
}

// A message box always has its icon control; without an icon style it is hidden and holds no icon.
bool shows_icon(HWND box)
{
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (lstrcmpiA(class_name(child).c_str(), "Static") != 0 || !IsWindowVisible(child) ||
            (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
            continue;
        DWORD_PTR icon = 0;
        if (SendMessageTimeoutA(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &icon) && icon)
            return true;
    }
    return false;
}

// The message box of a file item that cannot be read: "Mivra", the error text and an icon.
void expect_unreadable_message(process &p)
{
    HWND box = wait_message_box(p.id);
    ASSERT_TRUE(box) << "no message box titled \"Mivra\"; the windows of mivra.exe:\n"
                     << describe_windows(p.id);
    EXPECT_EQ(message_box_text(box), "データファイルが読めません！");
    EXPECT_TRUE(shows_icon(box)) << "the message box shows no icon";
    EXPECT_TRUE(process_running(p)) << "mivra.exe must wait for the message to be dismissed";
    EXPECT_TRUE(dismiss_message_box(box));
    DWORD code = STILL_ACTIVE;
    ASSERT_TRUE(wait_process_exit(p, wait_ms, &code)) << "mivra.exe did not end after the message";
    EXPECT_EQ(code, 0u);
}

std::string special_folder(int csidl)
{
    using get_path = BOOL(WINAPI *)(HWND, LPSTR, int, BOOL);
    char path[MAX_PATH] = "";
    HMODULE shell = LoadLibraryA("shell32.dll");
    auto get = shell ? reinterpret_cast<get_path>(
                           reinterpret_cast<void *>(GetProcAddress(shell, "SHGetSpecialFolderPathA")))
                     : nullptr;
    if (!get || !get(nullptr, path, csidl, FALSE))
        path[0] = '\0';
    if (shell)
        FreeLibrary(shell);
    return path;
}

// The texts a date pattern can give during the run: read before the start and after the end, so that
// a change of the hour or the day in between still passes.
struct moment {
    SYSTEMTIME before, after;
};

std::vector<std::string> format_both(const moment &m, std::string (*format)(const SYSTEMTIME &))
{
    std::vector<std::string> texts{format(m.before)};
    if (format(m.after) != texts.front())
        texts.push_back(format(m.after));
    return texts;
}

std::string date_and_hour12(const SYSTEMTIME &t)
{
    char text[64];
    // "%0h%": a small third letter gives the hour on a 12-hour clock that starts at 0.
    snprintf(text, sizeof text, "%d-%02d-%02d %02d", t.wYear, t.wMonth, t.wDay, t.wHour % 12);
    return text;
}

std::string hour24(const SYSTEMTIME &t)
{
    char text[16];
    snprintf(text, sizeof text, "%02d", t.wHour);
    return text;
}

std::string slashed_date(const SYSTEMTIME &t)
{
    char text[64];
    snprintf(text, sizeof text, "%d/%02d/%02d", t.wYear, t.wMonth, t.wDay);
    return text;
}

std::string year(const SYSTEMTIME &t)
{
    return std::to_string(t.wYear);
}

// Wraps pasted texts the way every case's target holds them: "ab[" ... "]cd", "XY" selected.
const std::string target_text = "ab[XY]cd";
constexpr int target_from = 3, target_to = 5;

std::vector<std::string> in_target(const std::vector<std::string> &pasted)
{
    std::vector<std::string> texts;
    for (const std::string &p : pasted)
        texts.push_back("ab[" + p + "]cd");
    return texts;
}

std::string in_target(const std::string &pasted)
{
    return "ab[" + pasted + "]cd";
}

std::string data_file_with_items(const std::string &system, const std::string &items,
                                 const std::string &replace = "")
{
    std::string text = "[system]\r\n" + system + "%end\r\n[data]\r\n" + items + "%end\r\n";
    if (!replace.empty())
        text += "[replace]\r\n" + replace + "%end\r\n";
    return text;
}

// "first\r\nsecond\r\n" followed by filler lines, exactly size bytes.
std::string big_text(size_t size)
{
    std::string text = "first\r\nsecond\r\n";
    std::string filler(98, 'x');
    filler += "\r\n";
    while (text.size() < size)
        text += filler;
    text.resize(size);
    return text;
}

} // namespace

// ---- file items ----------------------------------------------------------------------------------

TEST_F(Expansion, FileItemSwitchesPasteTheChosenPart)
{
    const std::string lines = in_dir("lines.txt");
    ASSERT_TRUE(write_file(lines, "one\r\ntwo\r\n表示three\r\nfour\r\nfive\r\n"));
    const std::string marked = in_dir("marked.txt");
    ASSERT_TRUE(write_file(marked, "head\r\nbefore 【始】表示 middle【終】 after\r\ntail\r\n"));
    struct row {
        const char *name;
        const std::string &file;
        const char *switches;
        std::string pasted;
    } rows[] = {
        {"#L:2-3 gives lines 2 and 3 with their breaks", lines, "#L:2-3", "two\r\n表示three\r\n"},
        {"#-L:3 gives line 3 without its break", lines, "#-L:3", "表示three"},
        {"without #D the markers stay", marked, "#T:【始】-【終】", "【始】表示 middle【終】"},
        {"with #D only the text between them", marked, "#T:【始】-【終】 #D", "表示 middle"},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.name);
        write_data_file(data_file_with_items("", r.file + " | Part\r\n>" + r.switches + "\r\n"));
        target_app *t = open_target(target_text, target_from, target_to);
        ASSERT_TRUE(t);
        process &p = start("");
        choose_first_entry(p);
        expect_edit_becomes(*t, in_target(r.pasted));
        DWORD code = STILL_ACTIVE;
        EXPECT_TRUE(wait_process_exit(p, wait_ms, &code));
        EXPECT_EQ(code, 0u);
        finish(p, t);
    }
}

TEST_F(Expansion, FileItemThatCannotBeOpenedShowsTheMessageAndPastesNothing)
{
    const std::string file = in_dir("held.txt");
    ASSERT_TRUE(write_file(file, "never pasted\r\n"));
    write_data_file(data_file_with_items("", file + " | Held\r\n>\r\n"));
    target_app *t = open_target(target_text, target_from, target_to);
    ASSERT_TRUE(t);
    process &p = start("");
    ASSERT_TRUE(wait_popup_menu(p.id, nullptr)) << describe_windows(p.id);
    // The file existed when the data file was read, so the entry is a file entry; now nobody may open it.
    HANDLE held = CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    press_key(VK_RETURN);
    expect_unreadable_message(p);
    CloseHandle(held);
    expect_nothing_pasted(*t, target_text, target_from, target_to);
    finish(p, t);
}

TEST_F(Expansion, FileItemLargerThanTheTextBufferShowsTheMessageAndPastesNothing)
{
    // One byte short of the buffer still fits with its terminator and is read whole.
    const std::string fits = in_dir("fits.txt");
    ASSERT_TRUE(write_file(fits, big_text(output_capacity - 1)));
    write_data_file(data_file_with_items("", fits + " | Fits\r\n>#-L:2\r\n"));
    {
        SCOPED_TRACE("a file of 1,039,999 bytes");
        target_app *t = open_target(target_text, target_from, target_to);
        ASSERT_TRUE(t);
        process &p = start("");
        choose_first_entry(p);
        expect_edit_becomes(*t, in_target("second"));
        EXPECT_TRUE(wait_process_exit(p, wait_ms, nullptr));
        finish(p, t);
    }

    const std::string big = in_dir("big.txt");
    ASSERT_TRUE(write_file(big, big_text(output_capacity + 1)));
    write_data_file(data_file_with_items("", big + " | Big\r\n>\r\n"));
    {
        SCOPED_TRACE("a file of 1,040,001 bytes");
        target_app *t = open_target(target_text, target_from, target_to);
        ASSERT_TRUE(t);
        process &p = start("");
        choose_first_entry(p);
        expect_unreadable_message(p);
        expect_nothing_pasted(*t, target_text, target_from, target_to);
        finish(p, t);
    }
}

TEST_F(Expansion, FileItemSwitchesRAndMinusRTurnTheMacrosOnAndOff)
{
    const std::string file = in_dir("dated.txt");
    ASSERT_TRUE(write_file(file, "year %4y%\r\n"));
    struct row {
        const char *name;
        const char *system;
        const char *switches;
        bool expanded;
    } rows[] = {
        {"#R without @replace=1", "", "#-L:1 #r", true},
        {"#-R with @replace=1", "@replace=1\r\n", "#-L:1 #-R", false},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.name);
        write_data_file(data_file_with_items(r.system, file + " | Dated\r\n>" + r.switches + "\r\n"));
        target_app *t = open_target(target_text, target_from, target_to);
        ASSERT_TRUE(t);
        moment m;
        GetLocalTime(&m.before);
        process &p = start("");
        choose_first_entry(p);
        EXPECT_TRUE(wait_process_exit(p, wait_ms, nullptr));
        GetLocalTime(&m.after);
        std::vector<std::string> pasted{"year %4y%"};
        if (r.expanded) {
            pasted = format_both(m, year);
            for (std::string &y : pasted)
                y = "year " + y;
        }
        expect_edit_becomes(*t, in_target(pasted));
        finish(p, t);
    }
}

// ---- macros ----------------------------------------------------------------------------------------

TEST_F(Expansion, DateMacrosGiveTheDateAndHourOfTheMoment)
{
    struct row {
        const char *name;
        const char *system;
        const char *item;
        std::string (*format)(const SYSTEMTIME &); // null: the item is pasted as written
    } rows[] = {
        {"date and 12-hour clock", "@replace=1\r\n", "%4y%-%0m%-%0d% %0h%", date_and_hour12},
        {"a capital third letter gives the 24-hour clock", "@replace=1\r\n", "%0H%", hour24},
        {"without @replace=1 nothing is expanded", "", "%4y%-%0m%-%0d% %0h%", nullptr},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.name);
        write_data_file(data_file_with_items(r.system, std::string(r.item) + " | &Date\r\n"));
        target_app *t = open_target(target_text, target_from, target_to);
        ASSERT_TRUE(t);
        moment m;
        GetLocalTime(&m.before);
        process &p = start("");
        choose_first_entry(p);
        EXPECT_TRUE(wait_process_exit(p, wait_ms, nullptr));
        GetLocalTime(&m.after);
        expect_edit_becomes(
            *t, in_target(r.format ? format_both(m, r.format) : std::vector<std::string>{r.item}));
        finish(p, t);
    }
}

TEST_F(Expansion, FolderMacroGivesTheSystemsWindowsFolder)
{
    const std::string windows_folder = special_folder(0x24); // CSIDL_WINDOWS
    ASSERT_FALSE(windows_folder.empty());
    write_data_file(data_file_with_items("@replace=1\r\n", "%Windows%\\win.ini | &Windows\r\n"));
    target_app *t = open_target(target_text, target_from, target_to);
    ASSERT_TRUE(t);
    process &p = start("");
    choose_first_entry(p);
    expect_edit_becomes(*t, in_target(windows_folder + "\\win.ini"));
    EXPECT_TRUE(wait_process_exit(p, wait_ms, nullptr));
    finish(p, t);
}

TEST_F(Expansion, ReplaceRowWhoseReplacementHoldsDateMacrosGivesTheDate)
{
    write_data_file(
        data_file_with_items("@replace=1\r\n", "日付：%today% | &Today\r\n", "%today% | %4y%/%0m%/%0d%\r\n"));
    target_app *t = open_target(target_text, target_from, target_to);
    ASSERT_TRUE(t);
    moment m;
    GetLocalTime(&m.before);
    process &p = start("");
    choose_first_entry(p);
    EXPECT_TRUE(wait_process_exit(p, wait_ms, nullptr));
    GetLocalTime(&m.after);
    std::vector<std::string> pasted = format_both(m, slashed_date);
    for (std::string &text : pasted)
        text = "日付：" + text;
    expect_edit_becomes(*t, in_target(pasted));
    finish(p, t);
}

TEST_F(Expansion, ClipboardMacroInsertsTheClipboardText)
{
    write_data_file(data_file_with_items("@replace=1\r\n", "<%CLP%|%clp%> | &Clip\r\n"));
    ASSERT_TRUE(set_clipboard_text("クリップ表"));
    target_app *t = open_target(target_text, target_from, target_to);
    ASSERT_TRUE(t);
    process &p = start("");
    choose_first_entry(p);
    expect_edit_becomes(*t, in_target("<クリップ表|クリップ表>"));
    EXPECT_TRUE(wait_process_exit(p, wait_ms, nullptr));
    finish(p, t);
}

// ---- the command line ------------------------------------------------------------------------------

TEST_F(CommandLine, ClipboardStartPastesTheClipboardTextAndExpandsItWithR)
{
    struct row {
        const char *name;
        const char *system;
        const char *args;
        bool expanded;
    } rows[] = {
        {"/#b pastes the text as it is", "", "/#b", false},
        {"/#R turns the macros on", "", "/#b /#R", true},
        {"/#-R turns \"@replace=1\" off", "@replace=1\r\n", "/#B /#-R", false},
    };
    const std::string clip = "clip %4y% 表示";
    for (const row &r : rows) {
        SCOPED_TRACE(r.name);
        write_data_file(data_file_with_items(r.system, "an item | &Item\r\n"));
        ASSERT_TRUE(set_clipboard_text(clip));
        target_app *t = open_target(target_text, target_from, target_to);
        ASSERT_TRUE(t);
        moment m;
        GetLocalTime(&m.before);
        process &p = start(r.args);
        expect_ends_quietly(p);
        GetLocalTime(&m.after);
        std::vector<std::string> pasted{clip};
        if (r.expanded) {
            pasted = format_both(m, year);
            for (std::string &y : pasted)
                y = "clip " + y + " 表示";
        }
        expect_edit_becomes(*t, in_target(pasted));
        finish(p, t);
    }
}

TEST_F(CommandLine, ClipboardStartWithAnEmptyClipboardEndsWithoutPasting)
{
    write_data_file(data_file_with_items("", "an item | &Item\r\n"));
    ASSERT_TRUE(set_clipboard_text(""));
    target_app *t = open_target(target_text, target_from, target_to);
    ASSERT_TRUE(t);
    process &p = start("/#b");
    expect_ends_quietly(p);
    expect_nothing_pasted(*t, target_text, target_from, target_to);
    finish(p, t);
}

TEST_F(CommandLine, ClipboardOnlyLeavesTheChosenTextOnTheClipboardAndPastesNothing)
{
    const std::string file = in_dir("lines.txt");
    ASSERT_TRUE(write_file(file, "one\r\ntwo 表\r\nthree\r\n"));
    struct row {
        const char *name;
        std::string items;
        std::string clipboard;
    } rows[] = {
        {"a text item", "chosen 表示 text | &Text\r\n", "chosen 表示 text"},
        {"a file item", file + " | Lines\r\n>#-L:2\r\n", "two 表"},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.name);
        write_data_file(data_file_with_items("", r.items));
        ASSERT_TRUE(set_clipboard_text("before"));
        target_app *t = open_target(target_text, target_from, target_to);
        ASSERT_TRUE(t);
        process &p = start("/#c");
        choose_first_entry(p);
        DWORD code = STILL_ACTIVE;
        EXPECT_TRUE(wait_process_exit(p, wait_ms, &code)) << describe_windows(p.id);
        EXPECT_EQ(code, 0u);
        std::string seen;
        EXPECT_TRUE(poll_until([&] { return clipboard_is(r.clipboard, &seen); }))
            << "the clipboard holds \"" << seen << "\"";
        expect_nothing_pasted(*t, target_text, target_from, target_to);
        finish(p, t);
    }
}

TEST_F(CommandLine, ClipboardStartWithClipboardOnlyLeavesTheExpandedTextOnTheClipboard)
{
    write_data_file(data_file_with_items("", "an item | &Item\r\n"));
    ASSERT_TRUE(set_clipboard_text("clip %4y%"));
    target_app *t = open_target(target_text, target_from, target_to);
    ASSERT_TRUE(t);
    moment m;
    GetLocalTime(&m.before);
    process &p = start("/#b /#c /#R");
    expect_ends_quietly(p);
    GetLocalTime(&m.after);
    std::vector<std::string> accepted = format_both(m, year);
    std::string seen;
    auto holds_expanded_text = [&] {
        for (const std::string &y : accepted)
            if (clipboard_is("clip " + y, &seen))
                return true;
        return false;
    };
    EXPECT_TRUE(poll_until(holds_expanded_text)) << "the clipboard holds \"" << seen << "\"";
    expect_nothing_pasted(*t, target_text, target_from, target_to);
    finish(p, t);
}

TEST_F(CommandLine, DataFileSwitchLoadsTheNamedFileBesideTheExecutable)
{
    write_data_file(data_file_with_items("", "from default | &Item\r\n"));
    write_data_file(data_file_with_items("", "from other | &Item\r\n"), "other.ini");
    // Started from another folder that holds a decoy of the same name: the name is taken beside the
    // executable, never from the working folder.
    const std::string work = in_dir("work");
    ASSERT_TRUE(CreateDirectoryA(work.c_str(), nullptr));
    ASSERT_TRUE(write_file(join_path(work, "other.ini"), data_file_with_items("", "from work | &Item\r\n")));
    ASSERT_TRUE(
        write_file(join_path(work, "missing.ini"), data_file_with_items("", "from work | &Item\r\n")));
    struct row {
        const char *name;
        const char *args;
        const char *pasted;
    } rows[] = {
        {"an existing file", "/#s=other.ini", "from other"},
        {"a missing file falls back to the default", "/#s=missing.ini", "from default"},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.name);
        target_app *t = open_target(target_text, target_from, target_to);
        ASSERT_TRUE(t);
        process &p = start(r.args, work);
        choose_first_entry(p);
        expect_edit_becomes(*t, in_target(r.pasted));
        EXPECT_TRUE(wait_process_exit(p, wait_ms, nullptr));
        finish(p, t);
    }
    EXPECT_FALSE(file_exists(in_dir("missing.ini"))) << "a missing named file must not be created";
}

TEST_F(CommandLine, PathArgumentWithLPastesTheFileWithoutAMenu)
{
    const std::string spaced = in_dir("my notes.txt");
    ASSERT_TRUE(write_file(spaced, "note 表示 one\r\nnote two\r\n"));
    // 表 and ソ end in the byte 0x5C, which must not be taken for a path separator.
    const std::string japanese = in_dir("表 ソ.txt");
    ASSERT_TRUE(write_file(japanese, "日本語の名前\r\n"));
    const std::string plain = in_dir("plain.txt");
    ASSERT_TRUE(write_file(plain, "first\r\nsecond\r\nthird\r\n"));
    write_data_file(data_file_with_items("", "an item | &Item\r\n"));
    struct row {
        const char *name;
        std::string args;
        std::string pasted;
    } rows[] = {
        {"a quoted path with blanks", "\"" + spaced + "\" /#l", "note 表示 one\r\nnote two\r\n"},
        {"a quoted Japanese path", "/#L \"" + japanese + "\"", "日本語の名前\r\n"},
        // On the command line the item switches carry the slash.
        {"a plain path with a line range", "/#l " + plain + " /#-L:2", "second"},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.name);
        target_app *t = open_target(target_text, target_from, target_to);
        ASSERT_TRUE(t);
        process &p = start(r.args);
        expect_ends_quietly(p);
        expect_edit_becomes(*t, in_target(r.pasted));
        finish(p, t);
    }
}

TEST_F(CommandLine, PathArgumentWithoutLIsDroppedAndTheMenuShows)
{
    const std::string plain = in_dir("plain.txt");
    ASSERT_TRUE(write_file(plain, "never pasted\r\n"));
    write_data_file(data_file_with_items("", "from menu | &Item\r\n"));
    target_app *t = open_target(target_text, target_from, target_to);
    ASSERT_TRUE(t);
    process &p = start(plain);
    choose_first_entry(p);
    expect_edit_becomes(*t, in_target("from menu"));
    EXPECT_TRUE(wait_process_exit(p, wait_ms, nullptr));
    finish(p, t);
}
