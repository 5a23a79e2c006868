#pragma once

#include "core/settings/Profile.h"

#include <functional>
#include <string>
#include <vector>

// The settings file: one path, read a value with a default, write values. Reading never
// creates or changes the file. A setting that cannot be read takes its default; when values
// cannot be written, the first failure is told once through the reporter. The program makes
// one and hands it to whatever reads or writes settings.
class IniMod {
  public:
    // Keys are stored in profile, which must outlive the store.
    explicit IniMod(Profile &profile) : profile_(profile) {}
    IniMod(const IniMod &) = delete;
    IniMod &operator=(const IniMod &) = delete;

    const std::string &IniPath() const { return iniPath_; }
    void SetIniPath(const std::string &path);

    // Who hears that the file could not be written (none: nobody).
    void UseReporter(std::function<void(const std::string &message)> report);

    // The value, at most 254 bytes and up to any NUL; the default when the file, the section
    // or the key is missing (trailing blanks of the default are dropped). A present empty
    // value gives the empty text.
    std::string ReadIni(const std::string &section, const std::string &key,
                        const std::string &defaultValue) const;

    // Reads made while one lives form one pass: the file is read once for all of them.
    class ReadPass {
      public:
        explicit ReadPass(IniMod &settings);
        ~ReadPass();
        ReadPass(const ReadPass &) = delete;
        ReadPass &operator=(const ReadPass &) = delete;

      private:
        IniMod &settings_;
    };

    void WriteIni(const std::string &section, const std::string &key, const std::string &value);

    // Several keys in one replacement of the file. False when they were not stored.
    bool WriteIni(const std::vector<IniEntry> &entries);
    // Why the last write failed, as the reporter is told it; empty after one that succeeded.
    const std::string &LastProblem() const { return lastProblem_; }

  private:
    Profile &profile_;
    std::string iniPath_;
    std::function<void(const std::string &)> reporter_;
    std::string lastProblem_;
    bool reported_ = false;
    int passes_ = 0;
};
