// One side of the differential settings test. Built natively it reads and writes through the
// core's own INI reader and writer; built for Windows, through the platform's profile functions.
//   ini_differential generate DIR SEED COUNT   writes the corpus: hostile cases, then COUNT
//                                              generated ones (native side only)
//   ini_differential run CORPUS OUT            runs every case; OUT gets each file after the
//                                              case's writes and what each read found
//   ini_differential compare CORPUS A B        tells where two runs differ; 1 when they do
//                                              beyond the layout of lines and known cases
// A case is NAME.ini (absent: no file) and NAME.ops, one operation a line, fields in hex:
//   get SECTION KEY      put SECTION KEY VALUE
#ifdef _WIN32
#include "platform/win32/PrivateProfile.h"
#include "platform/win32/Text.h"

#include <windows.h>
#else
#include "core/settings/FileStore.h"
#include "core/settings/IniFileProfile.h"
#endif

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Spill(const fs::path &path, const std::string &bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Hex(const std::string &bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (const unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out.empty() ? "-" : out;
}

std::string Unhex(const std::string &text) {
    std::string out;
    if (text == "-")
        return out;
    for (size_t i = 0; i + 1 < text.size(); i += 2)
        out += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
    return out;
}

#ifndef _WIN32
class PlainFiles final : public FileStore {
  public:
    Contents Load(const std::string &path) override {
        if (!fs::exists(path))
            return {State::Missing, {}, true};
        return {State::Readable, Slurp(path), true};
    }
    std::string Replace(const std::string &path, const std::string &bytes) override {
        Spill(path, bytes);
        return {};
    }
};
#endif

// Bytes as they stand in a file of the ANSI code page, which the profile functions read and
// write for the program in UTF-16.
std::string FromProgram(const std::string &text) {
#ifdef _WIN32
    const std::wstring wide = Widen(text);
    const int size = static_cast<int>(wide.size());
    BOOL lost = FALSE;
    std::string ansi(static_cast<size_t>(size) * 4, '\0');
    const int length =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), size, ansi.data(), size * 4, nullptr, &lost);
    return lost ? text : ansi.substr(0, static_cast<size_t>(length > 0 ? length : 0));
#else
    return text;
#endif
}

std::string ToProgram(const std::string &bytes) {
#ifdef _WIN32
    const int size = static_cast<int>(bytes.size());
    std::wstring wide(bytes.size(), L'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), size);
    return Narrow(wide.substr(0, static_cast<size_t>(length > 0 ? length : 0)));
#else
    return bytes;
#endif
}

int Run(const fs::path &corpus, const fs::path &out) {
    fs::create_directories(out);
#ifdef _WIN32
    PrivateProfile profile;
#else
    PlainFiles files;
    IniFileProfile profile(files);
#endif
    int cases = 0;
    for (const auto &entry : fs::directory_iterator(corpus)) {
        if (entry.path().extension() != ".ops")
            continue;
        const std::string name = entry.path().stem().string();
        const fs::path source = corpus / (name + ".ini");
        const fs::path file = fs::absolute(out / (name + ".ini"));
        fs::remove(file);
        if (fs::exists(source))
            fs::copy_file(source, file);
        std::ifstream ops(entry.path());
        std::ostringstream results;
        std::string line;
        while (std::getline(ops, line)) {
            std::istringstream fields(line);
            std::string op, section, key, value;
            fields >> op >> section >> key >> value;
            if (op == "get") {
                const auto got =
                    profile.Get(file.string(), ToProgram(Unhex(section)), ToProgram(Unhex(key)));
                // As IniMod takes it: at most 254 bytes.
                if (got)
                    results << "found " << Hex(FromProgram(*got).substr(0, 254)) << "\n";
                else
                    results << "missing\n";
            } else if (op == "put") {
                const std::string problem = profile.Put(
                    file.string(),
                    {{ToProgram(Unhex(section)), ToProgram(Unhex(key)), ToProgram(Unhex(value))}});
                results << (problem.empty() ? "stored" : "refused") << "\n";
            }
        }
        Spill(out / (name + ".out"), results.str());
        ++cases;
    }
    std::printf("%d cases run\n", cases);
    return 0;
}

// The generator's pieces: the program's own names, their neighbours in case and blanks, and
// the bytes that shape an INI file.
const char *const Tokens[] = {"[",        "]",
                              "=",        ";",
                              "\"",       "'",
                              " ",        "\t",
                              "\r",       "\n",
                              "\r\n",     "Output",
                              "output",   "OUTPUT",
                              "Position", "Type",
                              "type",     "UpperCase",
                              "Left",     "x",
                              "1",        "-7",
                              "\xff",     "[Output]\n",
                              "Type=1\n", "[Position]\r\n"};
const char *const Sections[] = {"Output", "Position", "other", " Output "};
const char *const Keys[] = {"Type", "UpperCase", "Left", "k", " type"};

struct Case {
    std::string name;
    bool hasFile;
    std::string file;
    std::vector<std::vector<std::string>> ops;
};

void Save(const fs::path &dir, const Case &c) {
    if (c.hasFile)
        Spill(dir / (c.name + ".ini"), c.file);
    std::string ops;
    for (const auto &op : c.ops) {
        ops += op[0];
        for (size_t i = 1; i < op.size(); ++i) {
            ops += ' ';
            ops += Hex(op[i]);
        }
        ops += "\n";
    }
    Spill(dir / (c.name + ".ops"), ops);
}

// The program's own reads and its close: every key read, all four written, read back.
std::vector<std::vector<std::string>> ProgramOps(const std::string &section, const std::string &key,
                                                 const std::string &value) {
    std::vector<std::vector<std::string>> ops = {
        {"get", "Position", "Left"}, {"get", "Position", "Top"}, {"get", "Output", "UpperCase"},
        {"get", "Output", "Type"},   {"get", section, key},
    };
    ops.push_back({"put", section, key, value});
    ops.push_back({"put", "Position", "Left", "900"});
    ops.push_back({"put", "Output", "Type", "2"});
    ops.push_back({"get", section, key});
    ops.push_back({"get", "Output", "Type"});
    return ops;
}

int Generate(const fs::path &dir, unsigned seed, int count) {
    fs::create_directories(dir);
    // Hostile files: the layout's corners the Linux reader and writer are tested on.
    const std::pair<const char *, std::string> hostile[] = {
        {"plain", "[Position]\r\nLeft=900\r\nTop=-45\r\n[Output]\r\nUpperCase=1\r\nType=2\r\n"},
        {"empty", ""},
        {"key-outside-section", "Type=1\r\n[Output]\r\n"},
        {"key-without-equals", "[Output]\nType\n"},
        {"present-but-empty", "[Position]\nLeft=\n"},
        {"blanks-around-names", "  [ Output ]  \n\t Type \t=\t 1 \n"},
        {"first-section-wins", "[Output]\nType=1\n[output]\nType=2\nUpperCase=0\n"},
        {"first-key-wins", "[Output]\nType=1\nTYPE=2\n"},
        {"inner-blanks", "[Output]\nType = a  b \n"},
        {"double-quotes", "[Output]\nType=\" 7 \"\n"},
        {"single-quotes", "[Output]\nType='7'\n"},
        {"unmatched-quotes", "[Output]\nType=\"7'\n"},
        {"no-inline-comment", "[Output]\nType=1 ;x\n"},
        {"comment-lines", "[Output]\n;Type=1\n  ; Type=2\nType=3\n"},
        {"equals-in-value", "[Output]\nType=a=b\n"},
        {"cr-only", "[Output]\rType=1\rUpperCase=2\r"},
        {"mixed-line-ends", "[Output]\r\nType=1\nUpperCase=2\rLeft=3"},
        {"no-final-line-end", "[Output]\nType=1"},
        {"nul-in-value", std::string("[Output]\nType=1\0002\n", 15)},
        {"section-without-bracket", "[Output\nType=1\n"},
        {"trailing-blank-lines", "[Position]\nLeft=1\n\n\n[Output]\n"},
        {"empty-last-section", "[Output]"},
        {"comment-first", "; mine\r\n[Output]\r\nUpperCase=1\r\nType=2\r\n"},
        {"indented-key", "[Output]\n  tYPE = old value \nz=1\n"},
        {"unknown-bytes", std::string("\xff\xfe junk\n[Output]\nType=1\n\0\x01\n", 26)},
        {"long-value", "[Output]\r\nType=" + std::string(300, 'v') + "\r\n"},
        {"utf8-bom", "\xef\xbb\xbf[Output]\r\nType=1\r\n"},
        {"tab-indented-section", "\t[Output]\r\nType=1\r\n"},
    };
    int made = 0;
    Save(dir, {"h00-missing-file", false, "", ProgramOps("Output", "Type", "1")});
    for (const auto &[name, bytes] : hostile) {
        char caseName[64];
        std::snprintf(caseName, sizeof caseName, "h%02d-%s", ++made, name);
        Save(dir, {caseName, true, bytes, ProgramOps("Output", "Type", "1")});
    }
    std::mt19937 random(seed);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int i = 0; i < count; ++i) {
        std::string file;
        const int tokens = pick(40);
        for (int t = 0; t < tokens; ++t)
            file += pick(20) == 0 ? std::string(1, '\0')
                                  : std::string(Tokens[pick(static_cast<int>(std::size(Tokens)))]);
        const std::string section = Sections[pick(static_cast<int>(std::size(Sections)))];
        const std::string key = Keys[pick(static_cast<int>(std::size(Keys)))];
        const std::string value = std::to_string(pick(80000) - 40000);
        char name[32];
        std::snprintf(name, sizeof name, "g%05d", i);
        Save(dir, {name, true, file, ProgramOps(section, key, value)});
    }
    std::printf("%d hostile and %d generated cases in %s\n", made + 1, count, dir.string().c_str());
    return 0;
}

// The same lines, whatever ends them, however they are indented or spaced around '=', cut at a
// NUL, and without empty lines or lines with no key: how the platform's writer under wine lays a
// whole file out again when it changes one key.
std::string Relaid(const std::string &bytes) {
    std::string out;
    size_t at = 0;
    while (at < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", at);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(at, end - at);
        at = end + 1;
        if (end < bytes.size() && bytes[end] == '\r' && at < bytes.size() && bytes[at] == '\n')
            ++at;
        line = line.substr(0, line.find('\0'));
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos)
            continue;
        line = line.substr(first, line.find_last_not_of(" \t") - first + 1);
        if (line[0] == '=')
            continue; // a value without a key
        const size_t equals = line.find('=');
        if (equals != std::string::npos && line[0] != ';' && line[0] != '[') {
            const std::string key = line.substr(0, equals);
            const std::string value = line.substr(equals + 1);
            const size_t keyEnd = key.find_last_not_of(" \t");
            const size_t valueStart = value.find_first_not_of(" \t");
            line = (keyEnd == std::string::npos ? "" : key.substr(0, keyEnd + 1)) + "=" +
                   (valueStart == std::string::npos ? "" : value.substr(valueStart));
        }
        out += line;
        out += '\n';
    }
    return out;
}

// Known ways the platform reads a file differently, each named in the report.
std::string KnownDifference(const std::string &original) {
    if (original.rfind("\xff\xfe", 0) == 0)
        return "starts with the UTF-16 byte-order mark: the platform reads the file as UTF-16";
    std::istringstream lines(original);
    std::string line;
    while (std::getline(lines, line, '\n')) {
        const size_t start = line.find_first_not_of(" \t");
        if (start != std::string::npos && line[start] == '[' && line.find(']') == std::string::npos)
            return "a section line without ']': the platform does not take it as a section";
    }
    return {};
}

// Where two runs differ, case by case: the reads, and the file bytes after the writes. 1 when a
// value reads differently for no known reason; how the files are laid out is told, not judged.
int Compare(const fs::path &corpus, const fs::path &a, const fs::path &b) {
    int cases = 0, sameReads = 0, sameBytes = 0, sameLines = 0, known = 0, unexplained = 0;
    for (const auto &entry : fs::directory_iterator(a)) {
        if (entry.path().extension() != ".out")
            continue;
        ++cases;
        const std::string name = entry.path().stem().string();
        const bool readsMatch = Slurp(a / (name + ".out")) == Slurp(b / (name + ".out"));
        const std::string aBytes = Slurp(a / (name + ".ini"));
        const std::string bBytes = Slurp(b / (name + ".ini"));
        const bool bytesMatch =
            fs::exists(a / (name + ".ini")) == fs::exists(b / (name + ".ini")) && aBytes == bBytes;
        const bool linesMatch = bytesMatch || Relaid(aBytes) == Relaid(bBytes);
        sameReads += readsMatch;
        sameBytes += bytesMatch;
        sameLines += linesMatch;
        if (!linesMatch)
            std::printf("layout %s: the files differ beyond line ends, blanks and empty lines\n",
                        name.c_str());
        if (readsMatch)
            continue;
        const std::string why = KnownDifference(Slurp(corpus / (name + ".ini")));
        if (why.empty()) {
            ++unexplained;
            std::printf("DIFFERS %s: a value reads differently\n", name.c_str());
        } else {
            ++known;
            std::printf("known %s: %s\n", name.c_str(), why.c_str());
        }
    }
    std::printf("%d cases: same reads in %d (%d known differences, %d unexplained); same bytes "
                "in %d, same lines in %d\n",
                cases, sameReads, known, unexplained, sameBytes, sameLines);
    return cases > 0 && unexplained == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "run" && argc == 4)
        return Run(argv[2], argv[3]);
    if (command == "compare" && argc == 5)
        return Compare(argv[2], argv[3], argv[4]);
    if (command == "generate" && argc == 5)
        return Generate(argv[2], static_cast<unsigned>(std::stoul(argv[3])), std::stoi(argv[4]));
    std::fprintf(stderr, "usage: ini_differential generate DIR SEED COUNT | run CORPUS OUT | "
                         "compare CORPUS A B\n");
    return 2;
}
