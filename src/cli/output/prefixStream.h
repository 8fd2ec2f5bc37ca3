// An output stream that puts a prefix (the port and a tab) before every line
// it passes on, and hands each line on whole, flushed, once its line break
// arrives: the lines of several ports mix in one stream without tearing.
#pragma once

#include <ostream>
#include <streambuf>
#include <string>

class TPrefixBuf final : public std::streambuf {
  public:
    TPrefixBuf(std::ostream& target, std::string prefix)
        : FTarget(target), FPrefix(std::move(prefix)) {}
    ~TPrefixBuf() override;

  protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;

  private:
    std::ostream& FTarget;
    std::string FPrefix;
    std::string FLine; // the unfinished line
};

class TPrefixStream final : public std::ostream {
  public:
    TPrefixStream(std::ostream& target, std::string prefix)
        : std::ostream(nullptr), FBuf(target, std::move(prefix)) {
        rdbuf(&FBuf);
    }

  private:
    TPrefixBuf FBuf;
};
