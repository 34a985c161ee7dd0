// migemo.dll from dist and a stdcall build of the same source, called the way the program calls them:
// through os_call_library, which must leave the stack as it was with either convention. What a query
// answers: the romaji search of Search.ModeKeysSwitchTheBarsAndRomajiFindsKanji.
#include "e2e_support.h"

#include "os/os.h"

using namespace e2e;

namespace {

using Libraries = bench;

uintptr_t call(void *function, std::vector<uintptr_t> args)
{
    return os_call_library(function, static_cast<int>(args.size()), args.data());
}

uintptr_t stack_pointer()
{
    uintptr_t sp;
#if defined(__i386__)
    __asm__ volatile("movl %%esp, %0" : "=r"(sp));
#else
    __asm__ volatile("movq %%rsp, %0" : "=r"(sp));
#endif
    return sp;
}

} // namespace

TEST_F(Libraries, MigemoOfEitherConventionAnswersAndKeepsTheStack)
{
    install_dictionary();
    ASSERT_FALSE(install("migemo.dll").empty() ||
                 !CopyFileA(windows_path(MIVRA_TEST_LIBS_DIR "/migemo_stdcall.dll").c_str(),
                            in_dir("migemo_stdcall.dll").c_str(), FALSE));

    for (const char *dll : {"migemo.dll", "migemo_stdcall.dll"}) {
        SCOPED_TRACE(dll);
        const os_library migemo = reinterpret_cast<os_library>(LoadLibraryA(in_dir(dll).c_str()));
        auto function = [&](const char *name) { return os_library_function(migemo, name); };
        void *open = function("migemo_open"), *close = function("migemo_close"),
             *is_enable = function("migemo_is_enable");
        ASSERT_TRUE(open && close && is_enable);
        const std::string dict = in_dir("dict\\migemo-dict");
        const uintptr_t handle = call(open, {reinterpret_cast<uintptr_t>(dict.c_str())});
        ASSERT_NE(handle, 0u);
        const uintptr_t before = stack_pointer();
        int enabled = 0;
        for (int i = 0; i < 100000; i++)
            enabled += static_cast<int>(call(is_enable, {handle}));
        EXPECT_EQ(enabled, 100000);
        EXPECT_EQ(stack_pointer(), before);
        call(close, {handle});
        os_free_library(migemo);
    }
}
