// Random files thrown at the reader and the writer: nothing crashes, a written value reads
// back, and every line the write did not touch stays byte for byte.
// Usage: tst_ini_fuzz [rounds [seed]] (20000 rounds of a fixed seed by default).
#include "Testing.h"
#include "core/settings/IniText.h"

#include <cstdlib>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

unsigned long rounds = 20000;
unsigned long seed = 20261207;

const char *const Tokens[] = {"[",           "]",
                              "=",           ";",
                              "\"",          "'",
                              " ",           "\t",
                              "\r",          "\n",
                              "\r\n",        "Output",
                              "output",      "OUTPUT",
                              "Position",    "Type",
                              "type",        "UpperCase",
                              "Left",        "x",
                              "1",           "-7",
                              "\xff",        "[Output]\n",
                              "Type=1\n",    "[Position]\r\n",
                              "\xEF\xBB\xBF"};
const char *const Sections[] = {"Output", "Position", "other", " Output "};
const char *const Keys[] = {"Type", "UpperCase", "Left", "k", " type"};

std::vector<std::string> Lines(const std::string &file) {
    std::vector<std::string> lines;
    size_t at = 0;
    if (file.compare(0, 3, "\xEF\xBB\xBF") == 0) { // the byte-order mark belongs to no line
        lines.push_back(file.substr(0, 3));
        at = 3;
    }
    while (at < file.size()) {
        size_t end = file.find_first_of("\r\n", at);
        if (end == std::string::npos)
            end = file.size();
        else
            end += file.compare(end, 2, "\r\n") == 0 ? 2 : 1;
        lines.push_back(file.substr(at, end - at));
        at = end;
    }
    return lines;
}

std::string Escaped(const std::string &bytes) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F && c != '%')
            out += c;
        else
            out += {'%', hex[u >> 4], hex[u & 0xF]};
    }
    return out;
}

} // namespace

TEST_CASE("random files") {
    std::mt19937 random(static_cast<std::mt19937::result_type>(seed));
    const auto pick = [&](size_t n) { return static_cast<int>(random() % n); };
    for (unsigned long round = 0; round < rounds; ++round) {
        std::string file;
        for (int i = pick(40); i > 0; --i)
            file += pick(20) == 0 ? std::string(1, '\0') : Tokens[pick(std::size(Tokens))];
        const std::string section = Sections[pick(std::size(Sections))];
        const std::string key = Keys[pick(std::size(Keys))];
        const std::string value = std::to_string(pick(80000) - 40000);
        const std::string where = "seed " + std::to_string(seed) + " round " +
                                  std::to_string(round) + " [" + section + "] " + key + "=" +
                                  value + " in " + Escaped(file);

        (void)LookupValue(file, section, key);
        const auto written = SetValue(file, section, key, value);
        if (!written || LookupValue(*written, section, key) != value) {
            FAIL_CHECK("value not read back: " << where);
            continue;
        }
        // Old and new differ in one stretch: at most one old line, at most three new ones.
        const std::vector<std::string> before = Lines(file);
        const std::vector<std::string> after = Lines(*written);
        size_t head = 0;
        while (head < before.size() && head < after.size() && before[head] == after[head])
            ++head;
        size_t tail = 0;
        while (tail < before.size() - head && tail < after.size() - head &&
               before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
            ++tail;
        const size_t oldMiddle = before.size() - head - tail;
        const size_t newMiddle = after.size() - head - tail;
        bool kept = oldMiddle <= 1 && newMiddle >= 1 && newMiddle <= 3;
        if (kept && oldMiddle == 1 && !LookupValue("[s]\n" + before[head], "s", key)) {
            // Not the key's own line: only a missing line end may have been added to it.
            kept = after[head].compare(0, before[head].size(), before[head]) == 0 &&
                   after[head].size() - before[head].size() <= 2;
        }
        if (!kept)
            FAIL_CHECK("other lines changed: " << where);
    }
}

TEST_CASE("several keys in one pass are the same as one after another") {
    std::mt19937 random(static_cast<std::mt19937::result_type>(seed + 1));
    const auto pick = [&](size_t n) { return static_cast<int>(random() % n); };
    for (unsigned long round = 0; round < rounds; ++round) {
        std::string file;
        for (int i = pick(40); i > 0; --i)
            file += Tokens[pick(std::size(Tokens))];
        std::vector<IniEntry> entries;
        std::optional<std::string> oneByOne = file;
        for (int i = 1 + pick(4); i > 0; --i) {
            entries.push_back({Sections[pick(std::size(Sections))], Keys[pick(std::size(Keys))],
                               std::to_string(pick(200))});
            if (oneByOne)
                oneByOne = SetValue(*oneByOne, entries.back().section, entries.back().key,
                                    entries.back().value);
        }
        if (SetValues(file, entries) != oneByOne) {
            std::string asked;
            for (const IniEntry &entry : entries)
                asked += " [" + entry.section + "] " + entry.key + "=" + entry.value;
            FAIL_CHECK("seed " << seed << " round " << round << asked << " in " << Escaped(file));
        }
    }
}

int main(int argc, char **argv) {
    if (argc > 1)
        rounds = std::strtoul(argv[1], nullptr, 10);
    if (argc > 2)
        seed = std::strtoul(argv[2], nullptr, 10);
    return doctest::Context(1, argv).run();
}
