#pragma once

// A small test harness in standard C++ only, so that the core's tests build wherever the core
// does (no toolkit, any compiler, cross-built for Windows). TEST_CASE registers a case; CHECK
// and CHECK_EQ report the failing expression and its values, and the case goes on.

#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace check {

struct Case {
    const char *name;
    std::function<void()> body;
};

inline std::vector<Case> &Cases() {
    static std::vector<Case> cases;
    return cases;
}

inline int &Failures() {
    static int failures = 0;
    return failures;
}

struct Register {
    Register(const char *name, std::function<void()> body) {
        Cases().push_back({name, std::move(body)});
    }
};

inline void Fail(const char *file, int line, const std::string &what) {
    ++Failures();
    std::fprintf(stderr, "%s:%d: FAILED %s\n", file, line, what.c_str());
}

template <typename T> std::string Show(const T &value) {
    if constexpr (requires(std::ostream &out) { out << value; }) {
        std::ostringstream out;
        out << value;
        return out.str();
    } else {
        return "<value>";
    }
}

// Runs every case (or those whose name contains argv[1]); a summary line, and 1 on failure.
inline int RunAll(int argc, char **argv) {
    int passed = 0;
    int failed = 0;
    for (const Case &c : Cases()) {
        if (argc > 1 && std::string(c.name).find(argv[1]) == std::string::npos)
            continue;
        const int before = Failures();
        c.body();
        if (Failures() == before) {
            ++passed;
        } else {
            ++failed;
            std::fprintf(stderr, "  in case: %s\n", c.name);
        }
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}

} // namespace check

#define CHECK_CONCAT2(a, b) a##b
#define CHECK_CONCAT(a, b) CHECK_CONCAT2(a, b)
#define TEST_CASE(name)                                                                           \
    static void CHECK_CONCAT(check_case_, __LINE__)();                                            \
    static const check::Register CHECK_CONCAT(check_register_, __LINE__)(                         \
        name, CHECK_CONCAT(check_case_, __LINE__));                                               \
    static void CHECK_CONCAT(check_case_, __LINE__)()

#define CHECK(condition)                                                                          \
    do {                                                                                          \
        if (!(condition))                                                                         \
            check::Fail(__FILE__, __LINE__, #condition);                                          \
    } while (false)

#define CHECK_EQ(actual, expected)                                                                \
    do {                                                                                          \
        const auto &check_a = (actual);                                                           \
        const auto &check_e = (expected);                                                         \
        if (!(check_a == check_e))                                                                \
            check::Fail(__FILE__, __LINE__,                                                       \
                        std::string(#actual " == " #expected ": got ") + check::Show(check_a) +   \
                            ", expected " + check::Show(check_e));                                \
    } while (false)

#define CHECK_MAIN                                                                                \
    int main(int argc, char **argv) { return check::RunAll(argc, argv); }
