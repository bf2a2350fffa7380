// probe_data.cpp: the data objects of crqx.h, with defaults no real library
// would use, so a test can tell a value read from them from one made up.
// The controller can change them; reset restores the defaults.
#include <cstring>
#include <string>

#include "crqx.h"
#include "probe.h"

namespace probe {

// Room for a test's sentinel text, terminator included.
constexpr std::size_t kDataTextCapacity = 64;

}  // namespace probe

#define CRQX_DATA_INT(name) int name;
#define CRQX_DATA_FLOAT(name) float name;
#define CRQX_DATA_DOUBLE(name) double name;
#define CRQX_DATA_STRING(name) char name[probe::kDataTextCapacity];
#include "crqx_data.def"

namespace probe {
namespace {

enum class DataKind { Unknown = 0, Int = 1, Float = 2, Double = 3, Text = 4 };

struct DataObject {
    const char* name;
    DataKind kind;
    void* address;
};

const DataObject kDataObjects[] = {
#define CRQX_DATA_INT(name) {#name, DataKind::Int, &name},
#define CRQX_DATA_FLOAT(name) {#name, DataKind::Float, &name},
#define CRQX_DATA_DOUBLE(name) {#name, DataKind::Double, &name},
#define CRQX_DATA_STRING(name) {#name, DataKind::Text, name},
#include "crqx_data.def"
};

const DataObject* find_data(const char* name) {
    for (const DataObject& object : kDataObjects) {
        if (name && std::strcmp(object.name, name) == 0) return &object;
    }
    return nullptr;
}

void set_text(const DataObject& object, const std::string& text) {
    std::memcpy(object.address, text.c_str(), text.size() + 1);
}

}  // namespace

// Ints -101, -102, ...; floats -1001.1, -1002.1, ... (not exact in binary, so
// a float read as a double shows); doubles -2001.1, ...; texts "<NAME>".
void restore_data_defaults() {
    int ints = 0, floats = 0, doubles = 0;
    for (const DataObject& object : kDataObjects) {
        switch (object.kind) {
            case DataKind::Int: *static_cast<int*>(object.address) = -101 - ints++; break;
            case DataKind::Float: *static_cast<float*>(object.address) = -1001.1f - floats++; break;
            case DataKind::Double:
                *static_cast<double*>(object.address) = -2001.1 - doubles++;
                break;
            case DataKind::Text: set_text(object, std::string("<") + object.name + ">"); break;
            case DataKind::Unknown: break;
        }
    }
}

namespace {
const bool kDefaultsSet = (restore_data_defaults(), true);
}  // namespace

}  // namespace probe

using probe::DataKind;

// 0 for an unknown name, else the kind (1 int, 2 float, 3 double, 4 text);
// *capacity gets a text object's room including the terminator.
PROBE_API int probe_data_kind(const char* name, std::size_t* capacity) {
    const probe::DataObject* object = probe::find_data(name);
    if (capacity)
        *capacity = object && object->kind == DataKind::Text ? probe::kDataTextCapacity : 0;
    return object ? static_cast<int>(object->kind) : 0;
}

// Setters return 0, -1 for an unknown name, -2 for the wrong kind or a text
// that does not fit.
PROBE_API int probe_data_set_int(const char* name, int value) {
    const probe::DataObject* object = probe::find_data(name);
    if (!object) return -1;
    if (object->kind != DataKind::Int) return -2;
    *static_cast<int*>(object->address) = value;
    return 0;
}

// A float object gets the value narrowed as a C float would be.
PROBE_API int probe_data_set_real(const char* name, double value) {
    const probe::DataObject* object = probe::find_data(name);
    if (!object) return -1;
    if (object->kind == DataKind::Float) {
        *static_cast<float*>(object->address) = static_cast<float>(value);
    } else if (object->kind == DataKind::Double) {
        *static_cast<double*>(object->address) = value;
    } else {
        return -2;
    }
    return 0;
}

PROBE_API int probe_data_set_text(const char* name, const char* bytes, std::size_t length) {
    const probe::DataObject* object = probe::find_data(name);
    if (!object) return -1;
    if (object->kind != DataKind::Text || length >= probe::kDataTextCapacity) return -2;
    probe::set_text(*object, std::string(bytes, length));
    return 0;
}

// The object's address, for the controller to read its current value.
PROBE_API void* probe_data_address(const char* name) {
    const probe::DataObject* object = probe::find_data(name);
    return object ? object->address : nullptr;
}
