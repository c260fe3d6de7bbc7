#include "trace_log.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kadrix::camera {
namespace {

char* staging = nullptr;
std::uint32_t stagedCount = 0;

// The log writer's own module: it never writes a line, but owns its buffer like every module.
constinit TraceBuffer writerBuffer{};
constinit unsigned char writerSwitch = 1;
[[maybe_unused]] constinit TraceModule writerTrace(writerBuffer, writerSwitch);

// Writes text with "\r\n" line ends, as a text-mode stream would.
void writeText(std::FILE* file, const char* text) {
    while (*text) {
        const char* end = std::strchr(text, '\n');
        if (!end) {
            std::fputs(text, file);
            return;
        }
        std::fwrite(text, 1, static_cast<std::size_t>(end - text), file);
        std::fwrite("\r\n", 1, 2, file);
        text = end + 1;
    }
}

void flush() {
    std::FILE* file = std::fopen(kTraceLogFileName, "ab");
    if (!file) {
        // The file cannot take the block: it is emptied if possible, else the block waits.
        std::FILE* truncated = std::fopen(kTraceLogFileName, "wb");
        if (!truncated)
            return;
        std::fclose(truncated);
        stagedCount = 0;
        return;
    }
    if (staging)
        writeText(file, staging);
    stagedCount = 0;
    std::fclose(file);
}

void stage(std::string_view text) {
    if (!staging)
        return;
    if (stagedCount + text.size() >= kTraceBufferSize)
        flush();
    std::memcpy(staging, text.data(), text.size());
    staging[text.size()] = '\0';
    stagedCount += static_cast<std::uint32_t>(text.size());
}

}  // namespace

void TraceModule::put(std::string_view text) {
    const std::size_t room = kTraceBufferSize - 1 - position_;
    const std::size_t n = text.size() < room ? text.size() : room;
    std::memcpy(buffer_.bytes + position_, text.data(), n);
    position_ += n;
}

void TraceModule::text(std::string_view text) {
    put(text);
}

void TraceModule::line(std::string_view literal) {
    put(literal);
    put("\n");
}

void TraceModule::line(std::string_view literal, const char* value) {
    put(literal);
    if (value)
        put(value);
    put("\n");
}

void TraceModule::line(std::string_view literal, double value) {
    char number[64];
    std::snprintf(number, sizeof number, "%g", value);  // a stream's default: 6 digits
    put(literal);
    put(number);
    put("\n");
}

void TraceModule::signedLine(std::string_view literal, long long value) {
    char number[32];
    std::snprintf(number, sizeof number, "%lld", value);
    put(literal);
    put(number);
    put("\n");
}

void TraceModule::unsignedLine(std::string_view literal, unsigned long long value) {
    char number[32];
    std::snprintf(number, sizeof number, "%llu", value);
    put(literal);
    put(number);
    put("\n");
}

void TraceModule::commit() {
    if (switch_ != 1) {
        position_ = 0;
        return;
    }
    // An empty block changes nothing in the file; skipping it keeps per-row commits cheap.
    if (position_ == 0)
        return;
    stage({buffer_.bytes, position_});
    std::memset(buffer_.bytes, 0, position_);
    position_ = 0;
    flush();
}

void traceLogAttach() {
    staging = static_cast<char*>(std::malloc(kTraceBufferSize));
    if (staging) {
        staging[0] = '\0';
        stagedCount = 0;
    }
}

void traceLogDetach() {
    std::free(staging);
    staging = nullptr;
}

bool traceLogAttached() {
    return staging != nullptr;
}

std::uint32_t traceLogStagedCount() {
    return stagedCount;
}

void fail(const char* message, ERROR_T code) {
    throw new CException(message, code);
}

}  // namespace kadrix::camera
