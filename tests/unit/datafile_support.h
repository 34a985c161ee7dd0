// Test support for the data file room: a fresh executable directory per test with real files, and
// loading a data file written from a test's text.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/target.h"
#include "datafile/item_store.h"
#include "datafile/loader.h"
#include "datafile/settings.h"
#include "os/fake/os_fake.h"
#include "output/output_state.h"
#include "text/sjis.h"

// A temporary executable directory ("/"-ended, as exe_dir ends in a separator) holding the data
// file "mivra.ini"; removed with everything in it at the end of the test.
struct datafile_dir {
    std::string dir;

    datafile_dir()
    {
        reset_settings();
        reset_item_store();
        reset_output_state();
        reset_target_state();
        reset_fake_system();
        char pattern[] = "/tmp/mivra_datafile_XXXXXX";
        const char *made = mkdtemp(pattern);
        dir = std::string(made ? made : "/tmp") + "/";
        copy_text(settings.exe_dir, sizeof settings.exe_dir, dir.c_str());
        copy_text(settings.data_file_name, sizeof settings.data_file_name, "mivra.ini");
        copy_text(settings.data_file_path, sizeof settings.data_file_path, (dir + "mivra.ini").c_str());
        copy_text(settings.recorder_path, sizeof settings.recorder_path, (dir + "hist.exe").c_str());
        copy_text(settings.log_file_path, sizeof settings.log_file_path, (dir + "log.ini").c_str());
    }
    ~datafile_dir()
    {
        std::error_code ignored;
        if (dir.rfind("/tmp/mivra_datafile_", 0) == 0)
            std::filesystem::remove_all(dir, ignored);
    }
    datafile_dir(const datafile_dir &) = delete;
    datafile_dir &operator=(const datafile_dir &) = delete;

    std::string path(const std::string &name) const { return dir + name; }

    void write(const std::string &name, const std::string &bytes) const
    {
        std::ofstream out(path(name), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    void make_dir(const std::string &name) const { std::filesystem::create_directories(path(name)); }

    // Writes the data file and loads it with owner window 1.
    int load(const std::string &bytes) const
    {
        write("mivra.ini", bytes);
        return load_data_file(1);
    }
};
