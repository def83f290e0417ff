#pragma once

#include <string_view>

namespace kestrune {

// Owns one open descriptor and closes it on every way out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { Close(); }

    int get() const { return fd_; }
    // Closes it now; false when the close reports an error, as written data may then be lost.
    bool Close();

private:
    int fd_;
};

// Writes all of `bytes`, going on after interruptions and short writes; false on an error.
bool WriteAll(int fd, std::string_view bytes);

}  // namespace kestrune
