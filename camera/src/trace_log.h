// The trace log "ZelDll.log". Each source module collects its lines in a buffer of its own and
// commits the block at the end of an operation: the block goes through the process-wide staging
// buffer straight into the file, so blocks appear in the order of their commits.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

#include "kadrix/camera/error.h"

namespace kadrix::camera {

inline constexpr std::size_t kTraceBufferSize = 2'048'000;
inline constexpr const char* kTraceLogFileName = "ZelDll.log";

struct TraceBuffer {
    char bytes[kTraceBufferSize];
};

// One module's trace stream. Lines end in '\n'; the file gets "\r\n". Text beyond the buffer is
// dropped, keeping one byte for the terminator the block is read up to.
class TraceModule {
  public:
    constexpr TraceModule(TraceBuffer& buffer, const unsigned char& traceSwitch)
        : buffer_(buffer), switch_(traceSwitch) {}
    TraceModule(const TraceModule&) = delete;
    TraceModule& operator=(const TraceModule&) = delete;

    void line(std::string_view literal);
    void line(std::string_view literal, const char* value);
    void line(std::string_view literal, double value);
    void line(std::string_view literal, ERROR_T value) {
        line(literal, static_cast<long long>(value));
    }
    template <std::integral T>
    void line(std::string_view literal, T value) {
        if constexpr (std::is_signed_v<T>)
            signedLine(literal, value);
        else
            unsignedLine(literal, value);
    }
    // Text without a line end: the next line continues it.
    void text(std::string_view text);

    void commit();
    // What has been written since the last commit.
    std::string_view pending() const { return {buffer_.bytes, position_}; }

  private:
    void signedLine(std::string_view literal, long long value);
    void unsignedLine(std::string_view literal, unsigned long long value);
    void put(std::string_view text);

    TraceBuffer& buffer_;
    const unsigned char& switch_;
    std::size_t position_ = 0;
};

// Process attach and detach of the log: the staging buffer exists between the two.
void traceLogAttach();
void traceLogDetach();
bool traceLogAttached();

// The bytes staged since the last successful flush (they stay when the file cannot be opened).
std::uint32_t traceLogStagedCount();

// Throws a CException by pointer, as every failure inside an operation does.
[[noreturn]] void fail(const char* message, ERROR_T code);

// The catch pattern of every operation: a CException becomes its code and the line
// "[ERR!] - <message>", anything else ERR_UNEXPECTED and "[ERR!] UnExpected Exception".
template <typename Body>
ERROR_T catching(TraceModule& trace, Body&& body) {
    try {
        return body();
    } catch (CException* e) {
        trace.line("[ERR!] - ", e->GetMessage());
        const ERROR_T code = e->GetErrorCode();
        delete e;
        return code;
    } catch (...) {
        trace.line("[ERR!] UnExpected Exception");
        return ERR_UNEXPECTED;
    }
}

}  // namespace kadrix::camera
