#pragma once

#include <string>

// The screen-cast permission the portal hands back, kept between runs in the user's state
// folder (never in the settings file, which users copy between machines).
class RestoreToken {
  public:
    // folder empty: $XDG_STATE_HOME/kalvor, or ~/.local/state/kalvor.
    explicit RestoreToken(std::string folder);

    const std::string &Path() const { return path_; }
    std::string Load() const; // empty when there is none
    // Replaces the stored token in one step, readable by the user only; an empty token
    // forgets it. False when it could not be written.
    bool Store(const std::string &token) const;

    static std::string DefaultFolder();

  private:
    std::string path_;
};
