// Start-up of mivra.exe: the manifest every shipped program carries, the data file named after the
// executable, the unreadable data file, and the replacement of a running instance, played by the test or
// real and delivering.
#include "e2e_support.h"

using namespace e2e;

using Startup = bench;

namespace {

BOOL CALLBACK add_manifest_id(HMODULE, LPCSTR, LPCSTR id, WORD, LONG_PTR ids)
{
    *reinterpret_cast<std::string *>(ids) += std::to_string(reinterpret_cast<ULONG_PTR>(id)) + " ";
    return TRUE;
}

BOOL CALLBACK add_manifest_ids(HMODULE module, LPCSTR type, LPSTR id, LONG_PTR ids)
{
    return EnumResourceLanguagesA(module, type, id, add_manifest_id, ids);
}

} // namespace

// Each shipped program holds one manifest (RT_MANIFEST, id 1, one language: no toolchain default beside
// it) that runs it as its invoker, names the systems from Vista to 11 and declares per-monitor awareness.
TEST_F(Startup, EveryProgramHoldsOneManifestNamingItsLevelSystemsAndDpiAwareness)
{
    const char *const needed[] = {"level=\"asInvoker\" uiAccess=\"false\"",
                                  "{e2011457-1546-43c5-a5fe-008deee3d3f0}", // Vista
                                  "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", // 7
                                  "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", // 8
                                  "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", // 8.1
                                  "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", // 10 and 11
                                  ">true/pm</dpiAware>", ">PerMonitorV2, PerMonitor</dpiAwareness>"};
    for (const char *name : {"mivra.exe", "hist.exe", "mivracheck.exe"}) {
        SCOPED_TRACE(name);
        HMODULE exe = LoadLibraryExA(install(name).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(exe);
        std::string ids; // one per manifest: each language of each id
        EnumResourceNamesA(exe, MAKEINTRESOURCEA(24), add_manifest_ids, reinterpret_cast<LONG_PTR>(&ids));
        EXPECT_EQ(ids, "1 ");
        HRSRC manifest = FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
        ASSERT_TRUE(manifest);
        const std::string text(static_cast<const char *>(LockResource(LoadResource(exe, manifest))),
                               SizeofResource(exe, manifest));
        for (const char *part : needed)
            EXPECT_NE(text.find(part), std::string::npos) << part;
        FreeLibrary(exe);
    }
}

// Without a data file an empty one is created, named after the executable's base name, beside it and
// not in the working folder; the start goes on to the main menu.
TEST_F(Startup, DataFileIsTheExecutablesBaseNameBesideIt)
{
    ASSERT_TRUE(CreateDirectoryA(in_dir("work").c_str(), nullptr));
    process &p = launch(install("mivra.exe", "other.exe"), "", in_dir("work"));
    ASSERT_TRUE(wait_popup_menu(p.id)); // of utility entries only
    press_key(VK_ESCAPE);
    expect_ends_with_zero(p);
    EXPECT_EQ(file_text(in_dir("other.ini")), "");
    for (const char *name : {"Mivra.ini", "work\\other.ini"})
        EXPECT_FALSE(file_exists(in_dir(name))) << name;
}

TEST_F(Startup, UnreadableDataFileShowsTheErrorAndEndsWhenDismissed)
{
    const std::string ini = in_dir("mivra.ini"), contents = lines({"[data]", "abc", "%end"});
    ASSERT_TRUE(write_file(ini, contents));
    // Share mode 0: every other open of the file fails while the test holds it.
    HANDLE held = CreateFileA(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    process &p = start_mivra("");
    EXPECT_EQ(take_message_box(p), "設定ファイル異常");
    expect_ends_with_zero(p);
    CloseHandle(held);
    EXPECT_EQ(file_text(ini), contents);
}

namespace {

// The messages the test's "Mivra_WClass" window received; unlike a real instance it never ends.
int closes = 0, hand_overs = 0;

LRESULT CALLBACK instance_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    closes += message == WM_CLOSE;
    hand_overs += message == WM_COPYDATA;
    return message == WM_CLOSE ? 0 : DefWindowProcA(window, message, wparam, lparam);
}

using RunningInstance = bench;

} // namespace

// "/#Z" asks the running instance to close; one that stays (finishing a delivery) is waited for 30 s,
// then the start ends without loading its data file. The instance is hidden like the real main window:
// the search finds it by class alone. Hand-overs: Activation; a real instance replaced: Startup below.
TEST_F(RunningInstance, ReplacingStartEndsAfterItsWaitWhenTheRunningInstanceStays)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = instance_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "Mivra_WClass";
    ASSERT_TRUE(RegisterClassA(&wc));
    ASSERT_TRUE(CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, wc.lpszClassName, WS_POPUP, 0, 0, 10, 10,
                                nullptr, nullptr, wc.hInstance, nullptr));
    ASSERT_TRUE(CreateMutexA(nullptr, TRUE, "Mivra_Mark")); // held until the test ends
    ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "another Mivra_Mark holder runs";
    process &p = start_mivra("", "/#Z");
    expect_ends_with_zero(p, 30000 + wait_ms);
    pump_messages();
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(hand_overs, 0);
    EXPECT_FALSE(file_exists(in_dir("mivra.ini"))) << "only an only instance loads its data file";
}

// The first instance pastes "first", presses Tab and waits 3 s before "second": a "/#z" start landing
// in that wait takes over once the text is in, and at once from an instance whose menu is open. A plain
// start's hand-over during a delivery: Activation's search window case.
TEST_F(Startup, LaterStartDuringADeliveryLetsTheWholeTextLandFirst)
{
    // Whether the first delivers, edit 1 and edit 2 at the end.
    const std::tuple<bool, const char *, const char *> rows[] = {{true, "[first]", "second"}, {false, "[]", "xyz"}};
    for (const auto &[deliver, edit1, edit2] : rows) {
        SCOPED_TRACE(deliver ? "during a delivery" : "while the menu is open");
        target_app &t = launch_target("[]", 1, 1, "xyz");
        process &first = start_mivra(lines({"[system]", "@replace=1", "@wait=100,1000,3000,0", "%end", "[data]",
                                            "first%$tb%second | 遅い(&S)", "%end"}));
        ASSERT_TRUE(wait_popup_menu(first.id));
        if (deliver) {
            press_key('S');
            ASSERT_TRUE(poll_until([&] { return window_text(t.edit1) == "[first]"; }))
                << window_text(t.edit1);
        }
        process &later = start_mivra("", "/#z");
        expect_edit_text(t.edit2, edit2);
        EXPECT_TRUE(wait_process_exit(first)) << "the first instance stayed:\n" << describe_windows(first.id);
        EXPECT_TRUE(wait_popup_menu(later.id));
        press_key(VK_ESCAPE);
        expect_ends_with_zero(later);
        EXPECT_EQ(window_text(t.edit1), edit1);
        EXPECT_EQ(window_text(t.edit2), edit2);
    }
}
