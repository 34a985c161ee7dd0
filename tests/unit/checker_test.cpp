// The data-file checker: one warning, at the right line, for each kind of mistake the loader passes
// over silently; none for the sample data file; the exit statuses of mivracheck.

#include <algorithm>

#include "checker/checker.h"
#include "datafile/load_report.h"
#include "datafile_support.h"

// Checks `text` (with $DIR/ for the executable's folder) from inside that folder, as mivracheck
// does; the warnings as "LINE: text".
static std::vector<std::string> check(const datafile_dir &d, const std::string &text, int search_start = 0)
{
    // BREGEXP.DLL compiles every pattern (a real one's failure is shown end to end).
    fake.libraries["BREGEXP.DLL"] = {{"BMatch", [](const uintptr_t *) -> uintptr_t { return 0; }}};
    std::string bytes = text;
    for (size_t at = bytes.find("$DIR/"); at != std::string::npos; at = bytes.find("$DIR/"))
        bytes.replace(at, 5, d.dir);
    d.write("mivra.ini", bytes);
    os_buffer file;
    EXPECT_EQ(os_read_whole_file(d.path("mivra.ini").c_str(), 0, data_file_read_limit, &file), 1);
    char before[4096];
    EXPECT_TRUE(getcwd(before, sizeof before));
    EXPECT_EQ(chdir(d.dir.c_str()), 0);
    int count = check_data_text(&file, search_start);
    EXPECT_EQ(chdir(before), 0);
    os_free_buffer(&file);
    std::vector<std::string> got;
    for (int i = 0; i < std::min(count, check_warning_capacity); ++i)
        got.push_back(std::to_string(report.warnings[i].line) + ": " + report.warnings[i].text);
    return got;
}

// The section `name` holding `lines`, closed.
static std::string sec(const char *name, const std::string &lines)
{
    return "[" + std::string(name) + "]\n" + lines + "\n%end\n";
}
static std::string sys(const std::string &lines)
{
    return sec("system", lines);
}
static std::string data(const std::string &lines)
{
    return sec("data", lines);
}

// One row per kind of mistake: the data file holds it once and gets the one warning; a few rows also
// search from the start or get a warning on an earlier line that the same mistake brings.
struct mistake {
    std::string data_file, expected;
    int search_start = 0;
    std::string earlier = "";
};
static const mistake mistakes[] = {
    {sys("@colour=red"), "2: 「@colour=」という設定はありません。この行は無視されます"},
    {sys("menu=cursor"), "2: [system] の行が @ で始まっていません。この行は無視されます"},
    {sys("\n@dlm=|"), "3: @dlm= の値が短すぎます（2 バイト以上）。この行は無視されます"},
    {sys("@sort=0"),
     "2: @sort=0 は検索窓で起動したときだけ読まれます。メニューの起動では無視されます（--search "
     "で確かめられます）"},
    {sys("@hist=200,0"), "2: @hist= の1番目（先頭 10～100）：200 は範囲の外です。代わりに 30 を使います"},
    {sys("@window=wide,160,150,0,0"),
     "2: @window= の1番目（検索窓の幅 120～300）：「wide」は数ではありません。代わりに 130 を使います"},
    {sys("@log=0,20,a.i"),
     "2: @log= の3番目（ファイル名 5～127 バイト）：「a.i」は使えません。この指定は無視されます"},
    {sys("@log=1,20,F.txt\n@file=1") + sec("file", "f.txt"),
     "2: @log= の3番目：「F.txt」は Mivra が読むファイルです。ログには使わず、代わりに log.ini を使います"},
    {sys("@editor=nothere.exe"),
     "2: @editor= のファイル「nothere.exe」が見つかりません。この指定は無視されます"},
    {sys("@path=$DIR/;nofolder"), "2: @path= のフォルダ「nofolder」が見つかりません"},
    {sys("@key=0x11,0x56\n@key=0x10,0x2D"), "3: @key= のキーは合わせて 3 つまでです。「0x2D」は無視されます",
     1},
    {sys("@dlm=" + std::string(40, '|')), "2: @dlm= の値が 40 バイトあります。31 バイトに切られます"},
    {sys("@select=" + repeated("n,", 10) + "eleven"),
     "2: @select= の値は 10 個までです。「eleven」は無視されます"},
    {sys("@menu=cursor\n@menu=mouse"), "3: @menu= は最初の行だけが使われます。この行は無視されます"},
    {sys("@menu=caret"),
     "2: @menu= の「caret」はメニューの位置の名前ではありません。代わりに active を使います"},
    {sys("@year=2018" + std::string(591, ' ') + "\n;" + std::string(600, 'x')),
     "2: 行が 601 バイトあります。517 バイトから後ろは読まれません"},
    {data(std::string(300, 't') + " | caption"), "2: 文字列が 300 バイトあります。259 バイトに切られます"},
    {data("\xE3\x81\x82"),
     "1: このファイルは UTF-8 で保存されているようです。Mivra は Shift-JIS として読むので、日本語が化けます"},
    {"\xEF\xBB\xBF" + data("\xE3\x81\x82\ncaf\xC3\xA9"),
     "3: Shift-JIS にない文字か UTF-8 として読めないバイトがあります。「?」として読まれます"},
    {"stray\n" + data("a"), "1: どのセクションにも入っていない行です。読まれません"},
    {"[key]\n%end\n[KEY]\n0D Enter\n%end\n",
     "3: [key] は2度目の見出しです。最初の [key] だけが読まれ、このセクションは無視されます"},
    {"[data]\na\nb", "3: 最後の行が改行で終わっていないので、読まれません", 0,
     "1: [data] を閉じる %end の行がありません。ファイルの終わりまでが [data] になります"},
    {data("{G\n{H\na\n}"), "2: グループ「G」を閉じる } の行がありません"},
    {data("a\n}"), "3: 開いているグループがないので、この } は文字列の項目になります"},
    {data("+\na"), "2: 「+」は、ここでは印にならず、文字列の項目になります"},
    {data("{G\na\n-- col\n}"), "4: - の後ろの「- col」は無視されます"},
    {data("{G\na\n} G"), "4: } の後ろの「 G」は無視されます"},
    {data(">p"), "2: 「>p」は、ここでは印にならず、文字列の項目になります（前に項目がありません）"},
    {data("nofile.txt | n\n>p"),
     "3: 直前の項目「nofile.txt」がファイルではないので、この > の行は無視されます"},
    {"[data]\n" + repeated("a\n", 3002) + "%end\n",
     "3002: [data] は 3000 件までです。この行から後ろは無視されます"},
    {sec("file", "missing.txt | m"),
     "2: [file] のファイル「missing.txt」が見つかりません。この行は飛ばされます"},
    {"[file]\n" + repeated("$DIR/f.txt\n", 100) + "%end\n",
     "101: [file] は 99 件までです。この行から後ろは無視されます"},
    {sys("@file=0") + "[file]\n%end\n", "4: @file= の1番目が 0 なので、[file] は読まれません"},
    {sec("replace", "%a% | b"), "1: @replace=1 がないので、[replace] の置き換えは使われません"},
    {sys("@replace=1") + sec("replace", "a | b"),
     "5: [replace] の行が % で始まっていません。この行は無視されます"},
    {sys("@replace=1") + sec("replace", "%a%=b"),
     "5: [replace] の行に区切り「 | 」がありません。この行は無視されます"},
    {sys("@replace=1") + sec("replace", "%a% | "),
     "5: [replace] の名前が1バイトか、置き換える文字列が空です。この行は無視されます"},
    {sec("key", "1"), "2: [key] の行が短すぎます（キー番号は16進2桁）。この行は無視されます"},
    {sec("key", "ZZ name"), "2: [key] のキー番号「ZZ」が16進2桁ではありません"},
    {sec("key", "0DEnter"),
     "2: [key] のキー番号の後ろが空白でないので、「Enter」の1バイト目は名前から落ちます"},
    {data("{&G\n}") + sec("title", "G | m/a/\nH | m/a/"),
     "7: [title] のグループ「H」は [data] にありません。この行は使われません"},
};

TEST(Checker, EachMistakeGivesOneWarningAtItsLine)
{
    for (const mistake &m : mistakes) {
        SCOPED_TRACE(m.data_file.substr(0, 80));
        datafile_dir d;
        d.write("f.txt", "");
        std::vector<std::string> expected = {m.expected};
        if (!m.earlier.empty())
            expected.insert(expected.begin(), m.earlier);
        EXPECT_EQ(check(d, m.data_file, m.search_start), expected);
    }
}

TEST(Checker, TheSampleDataFileGivesNone)
{
    const std::string package = std::string(MIVRA_TEST_DATA_DIR) + "/../../package/";
    const std::string sample = convert(read_all(package + "Mivra.ini"), "CP932", "UTF-8");
    for (int search_start : {0, 1}) {
        datafile_dir d;
        d.write("Mivra.txt", read_all(package + "Mivra.txt"));
        d.write("sample.txt", read_all(package + "sample.txt"));
        EXPECT_EQ(check(d, sample, search_start), std::vector<std::string>{}) << search_start;
    }
}

static std::string printed;

static void print_into(const char *native, const char *text)
{
    printed += std::string(native) + text + "\n";
}

TEST(Checker, RunPrintsTheReportAndTellsByItsStatus)
{
    datafile_dir d;
    const std::string ini = d.path("mivra.ini"), other = d.path("other.ini");
    d.write("mivra.ini", "@x\n[data]\n+\n%end\n");
    d.write("other.ini", "[data]\na\n%end\n");
    // Name, the status, the output, the arguments.
    const std::tuple<const char *, int, std::string, std::string> runs[] = {
        {"Sorted", 1,
         ini + ":1: warning: どのセクションにも入っていない行です。読まれません\n" + ini +
             ":3: warning: 「+」は、ここでは印にならず、文字列の項目になります\n2 warnings\n",
         ini},
        {"Missing", 2, d.path("none.ini") + ": error: 設定ファイルを読めません\n", d.path("none.ini")},
        {"UnknownSwitch", 2, "使い方: mivracheck [--dump] [--search] [設定ファイル]\n", "--all"},
        {"Dump", 0, "[title]\n問題はありません\n", "--dump " + other},
    };
    for (const auto &[name, status, output, run_args] : runs) {
        SCOPED_TRACE(name);
        std::vector<std::string> args = {"mivracheck"};
        std::istringstream words(run_args);
        for (std::string word; words >> word;)
            args.push_back(word);
        std::vector<char *> argv;
        for (std::string &a : args)
            argv.push_back(&a[0]);
        printed.clear();
        EXPECT_EQ(run_checker(static_cast<int>(argv.size()), argv.data(), d.dir.c_str(), print_into, nullptr),
                  status);
        EXPECT_NE(printed.find(output), std::string::npos) << printed;
    }
    EXPECT_EQ(load_report, nullptr) << "the sink is left as the program has it";
}
