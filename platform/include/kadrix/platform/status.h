// Expected failures as values: an operation that can fail for reasons outside the program
// (a missing file, a refused rename, bytes that are not text) returns a Status or a Result.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace kadrix::platform {

class Status {
public:
    Status() = default;
    static Status failure(std::string message) { return Status(std::move(message)); }

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const std::string& message() const { return message_; }

private:
    explicit Status(std::string message) : failed_(true), message_(std::move(message)) {}
    bool failed_ = false;
    std::string message_;
};

template <typename T>
class Result {
public:
    Result(T value) : value_(std::move(value)) {}  // NOLINT: implicit on purpose
    Result(Status failure) : status_(std::move(failure)) {}  // NOLINT

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    const T& value() const& { return *value_; }
    T& value() & { return *value_; }
    T&& value() && { return std::move(*value_); }
    const T& operator*() const { return *value_; }
    T& operator*() { return *value_; }
    const T* operator->() const { return &*value_; }
    T* operator->() { return &*value_; }
    const Status& status() const { return status_; }
    const std::string& message() const { return status_.message(); }

private:
    std::optional<T> value_;
    Status status_;
};

}  // namespace kadrix::platform
