// probe_record.cpp: the call log.
//
// Layout, native byte order (controller.py parses it):
//   call  := u32 name_length, name, u8 extended, u32 call_number,
//            u32 arg_count, arg * arg_count, i32 result
//   arg   := u8 ArgType, then
//              int: i32 | float: f32 | double: f64 | char: i8
//              int *, float *, double *, char *, void *: block
//              char **: block (the array), u32 element_count, block per element
//   block := u64 address (0 for null), i64 allocation size (-1: unknown),
//            u32 length, the bytes
//
// A block holds the whole allocation when its size is known. Otherwise it
// holds one element for int *, float *, double * (a cell), the text and its
// NUL for char *, one element for char **, and nothing for void *, whose
// extent nothing tells.
#include <cstdint>
#include <cstring>

#include "alloc_size.h"
#include "probe_state.h"

namespace probe {
namespace {

template <class T>
void put(Log& log, T value) {
    unsigned char raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    log.insert(log.end(), raw, raw + sizeof(T));
}

std::size_t unknown_extent(ArgType type, const void* ptr) {
    switch (type) {
        case ArgType::IntPtr: return sizeof(int);
        case ArgType::FloatPtr: return sizeof(float);
        case ArgType::DoublePtr: return sizeof(double);
        case ArgType::CharPtr: return std::strlen(static_cast<const char*>(ptr)) + 1;
        case ArgType::CharPtrPtr: return sizeof(char*);
        default: return 0;
    }
}

void put_block(Log& log, ArgType type, const void* ptr) {
    const long long size = allocation_size(ptr);
    const std::size_t length = !ptr        ? 0
                               : size >= 0 ? static_cast<std::size_t>(size)
                                           : unknown_extent(type, ptr);
    put<std::uint64_t>(log, reinterpret_cast<std::uintptr_t>(ptr));
    put<std::int64_t>(log, ptr ? size : -1);
    put<std::uint32_t>(log, static_cast<std::uint32_t>(length));
    const auto* bytes = static_cast<const unsigned char*>(ptr);
    if (length) log.insert(log.end(), bytes, bytes + length);
}

void put_text_list(Log& log, char** texts) {
    put_block(log, ArgType::CharPtrPtr, texts);
    const long long size = allocation_size(texts);
    const std::size_t count = !texts      ? 0
                              : size >= 0 ? static_cast<std::size_t>(size) / sizeof(char*)
                                          : 1;
    put<std::uint32_t>(log, static_cast<std::uint32_t>(count));
    for (std::size_t i = 0; i < count; ++i) put_block(log, ArgType::CharPtr, texts[i]);
}

void put_arg(Log& log, const ArgView& arg) {
    put<std::uint8_t>(log, static_cast<std::uint8_t>(arg.type));
    switch (arg.type) {
        case ArgType::Int: put<std::int32_t>(log, arg.value.i); break;
        case ArgType::Float: put<float>(log, arg.value.f); break;
        case ArgType::Double: put<double>(log, arg.value.d); break;
        case ArgType::Char: put<std::int8_t>(log, static_cast<std::int8_t>(arg.value.c)); break;
        case ArgType::CharPtrPtr: put_text_list(log, static_cast<char**>(arg.value.p)); break;
        default: put_block(log, arg.type, arg.value.p); break;
    }
}

}  // namespace

void record_call(Log& log, const Function& function, const ArgView* args, std::size_t count) {
    const std::size_t name_length = std::strlen(function.info->name);
    put<std::uint32_t>(log, static_cast<std::uint32_t>(name_length));
    log.insert(log.end(), function.info->name, function.info->name + name_length);
    put<std::uint8_t>(log, function.info->extended ? 1 : 0);
    put<std::uint32_t>(log, function.calls);
    put<std::uint32_t>(log, static_cast<std::uint32_t>(count));
    for (std::size_t i = 0; i < count; ++i) put_arg(log, args[i]);
}

void record_result(Log& log, int result) { put<std::int32_t>(log, result); }

}  // namespace probe
