// The general exception class of the reader: every error raised inside C++
// code carries only a message, which is what the user eventually sees.
#pragma once

#include <exception>
#include <string>
#include <utility>

class Exception : public std::exception {
public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const noexcept { return message_; }

private:
  std::string message_;
};

// Index and capacity errors of the reader's own lists.
class EListError : public Exception {
public:
  using Exception::Exception;
};

// Stream failures (bad seek origin, put-back overflow, short reads where a
// whole block is required).
class EStreamError : public Exception {
public:
  using Exception::Exception;
};

class EReadError : public EStreamError {
public:
  using EStreamError::EStreamError;
};

class EWriteError : public EStreamError {
public:
  using EStreamError::EStreamError;
};

// Raised by the platform file layer when a file cannot be opened.
class EFOpenError : public EStreamError {
public:
  using EStreamError::EStreamError;
};

// printf-style formatting for the system's messages ("Index %d is out of range").
std::string FormatWithInt(const char* format, long long value);
