// Loading a data file at full scale: 3,000 "[data]" lines in groups, 99 listed text files that
// exist, 100 replace rows, 150 keys and 100 title rows; with LF line ends, and with the CR LF ends
// that files written on Windows have.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "datafile/item_store.h"
#include "datafile/loader.h"
#include "datafile/settings.h"
#include "os/fake/os_fake.h"
#include "text/sjis.h"

namespace {

struct full_data_file {
    std::string dir;

    explicit full_data_file(bool crlf, bool kana = false)
    {
        char pattern[] = "/tmp/mivra_datafile_bench_XXXXXX";
        const char *made = mkdtemp(pattern);
        dir = std::string(made ? made : "/tmp") + "/";
        std::string text =
            "[system]\n@item=0,30\n@hist=40,20\n@window=200,300,200\n@file=1,25,4,1000\n";
        text += kana ? "@kana=1\n%end\n" : "%end\n";
        text += "[data]\n";
        for (int i = 0; i < 3000; ++i) {
            if (i % 50 == 0)
                text += "{グループ&" + std::to_string(i / 50) + "\n";
            text += "定型文の本文 " + std::to_string(i) + "↓二行目 | 見出し&" + std::to_string(i) + "\n";
            if (i % 10 == 9)
                text += "+\n";
            if (i % 50 == 49)
                text += "}\n";
        }
        text += "%end\n[file]\n";
        for (int i = 0; i < 99; ++i) {
            std::string name = "list" + std::to_string(i) + ".txt";
            write(name, "line\n");
            text += dir + name + " | 一覧" + std::to_string(i) + "\n";
        }
        text += "%end\n[replace]\n";
        for (int i = 0; i < 100; ++i)
            text += "%name" + std::to_string(i) + " | 置き換え" + std::to_string(i) + "\n";
        text += "%end\n[key]\n";
        for (int i = 0; i < 150; ++i) {
            char code[8];
            snprintf(code, sizeof code, "%02X", i);
            text += std::string(code) + " key" + std::to_string(i) + "\n";
        }
        text += "%end\n[title]\n";
        for (int i = 0; i < 100; ++i)
            text += "グループ" + std::to_string(i % 60) + " | ^.*メモ帳" + std::to_string(i) + "$\n";
        text += "%end\n";
        if (crlf) {
            std::string lines;
            for (char c : text)
                lines += c == '\n' ? std::string("\r\n") : std::string(1, c);
            text = lines;
        }
        write("mivra.ini", text);
    }
    ~full_data_file()
    {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    void write(const std::string &name, const std::string &bytes) const
    {
        FILE *f = fopen((dir + name).c_str(), "wb");
        if (f) {
            fwrite(bytes.data(), 1, bytes.size(), f);
            fclose(f);
        }
    }
};

void prepare_settings(const full_data_file &file)
{
    reset_settings();
    reset_fake_system();
    copy_text(settings.exe_dir, sizeof settings.exe_dir, file.dir.c_str());
    copy_text(settings.data_file_name, sizeof settings.data_file_name, "mivra.ini");
    copy_text(settings.data_file_path, sizeof settings.data_file_path, (file.dir + "mivra.ini").c_str());
    copy_text(settings.recorder_path, sizeof settings.recorder_path, (file.dir + "hist.exe").c_str());
    settings.search_kind = 1;
}

void load_full_data_file(benchmark::State &state)
{
    full_data_file file(state.range(0) == 1, state.range(0) == 2);
    for (auto _ : state) {
        state.PauseTiming();
        prepare_settings(file);
        state.ResumeTiming();
        int loaded = load_data_file(1);
        benchmark::DoNotOptimize(loaded);
        if (!loaded || store.item_count < 3000 || store.text_file_count != 99 || store.key_count != 150) {
            state.SkipWithError("the generated data file did not load whole");
            break;
        }
    }
    state.counters["items"] = store.item_count;
}

} // namespace

// Argument 0: LF line ends; 1: CR LF; 2: LF with "@kana=1" (every caption folded as it loads).
BENCHMARK(load_full_data_file)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
