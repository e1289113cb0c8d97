// A file in the temporary folder, for the part programs and outputs a client hands to or takes
// from korvane-sim.exe.
#pragma once

#include <string>
#include <string_view>

namespace dravosk::sim::client {

// "<temp>\dravosk-<process>-<n>-<stem>": unique to this process and this object, so neither a
// parallel test program nor a helper that still holds an earlier file gets in the way. Removed
// with the object.
class TempFile {
  public:
    explicit TempFile(std::wstring_view stem);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::wstring& path() const { return path_; }
    // The path as a control request names it.
    std::string utf8Path() const;
    // Replaces the content; false when the file cannot be written.
    bool write(std::string_view content) const;
    // The content; empty when the file cannot be read.
    std::string read() const;
    void remove() const;

  private:
    std::wstring path_;
};

}  // namespace dravosk::sim::client
