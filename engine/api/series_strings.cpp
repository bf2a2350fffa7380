// String values of the C interface: one string at an observation, string
// series element by element, their lengths, and an object's declared string
// length. Missing strings: the classic functions report them through a
// missing-kind code (HNCVAL, HNDVAL, HNAVAL) with empty text; the extended
// ones deliver the missing codes' own text (FSTRNC, FSTRND, FSTRNA).
#include <cstring>
#include <vector>

#include "api/series_access.h"
#include "crqx.h"
#include "objects/objects.h"

using namespace crqx;
using api::run;
using api::SeriesTarget;
using api::set_status;

namespace {

const std::string kCodes[3] = {missing::kStringNC, missing::kStringND, missing::kStringNA};

int text_slot(const std::string& text) {
    for (int i = 0; i < 3; ++i)
        if (text == kCodes[i]) return i;
    return -1;
}

Status find_strings(int dbkey, const char* objnam, const int* range, SeriesTarget* t) {
    CRQX_RETURN_IF_ERROR(api::find_target(dbkey, objnam, range, t));
    return api::require_class(*t, api::ValueClass::String);
}

Status read_texts(const SeriesTarget& t, std::vector<std::string>* texts) {
    texts->resize(static_cast<size_t>(t.span.count()));
    return api::read_span(t, texts->data());
}

// The stored form of a classic string argument: its first `length` bytes
// (fewer if it ends sooner) or the missing code `ismiss` names.
Status stored_text(const char* text, int ismiss, int length, std::string* out) {
    CRQX_RETURN_IF_ERROR(api::not_null(text, "a string"));
    if (length < 0)
        return Status::Error(HBLEN, "string length " + std::to_string(length) + " is negative");
    int slot = series::slot_of_missing_code(ismiss);
    if (slot == -2)
        return Status::Error(HBMISS, "missing code " + std::to_string(ismiss) +
                                         " is not HNMVAL, HNCVAL, HNDVAL or HNAVAL");
    if (slot >= 0) {
        *out = kCodes[slot];
        return Status::OK();
    }
    const void* end = std::memchr(text, '\0', static_cast<size_t>(length));
    out->assign(text, end ? static_cast<const char*>(end) - text : length);
    return Status::OK();
}

// A string into a buffer of `inlen` bytes plus the terminator.
Status put_text(char* buffer, int inlen, const std::string& text, bool* cut) {
    if (api::write_text(buffer, static_cast<size_t>(inlen) + 1, text) != HSUCC) *cut = true;
    return Status::OK();
}

Status cut_status(bool cut) {
    return cut ? Status::Error(HTRUNC, "a string was cut to fit its buffer") : Status::OK();
}

// The classic one-string functions take a range of one observation.
Status one_observation(const SeriesTarget& t) {
    return Status::Error(HBNRNG, "the range " + std::to_string(t.span.first) + ".." +
                                     std::to_string(t.span.last) + " holds " +
                                     std::to_string(t.span.count()) + " observations of '" +
                                     t.object.record.name + "', not one");
}

Status check_lengths(const int* inlenary, int64_t n) {
    for (int64_t i = 0; i < n; ++i)
        if (inlenary[i] < 0)
            return Status::Error(HBLEN, "inlenary[" + std::to_string(i) + "] is " +
                                            std::to_string(inlenary[i]) + ", negative");
    return Status::OK();
}

Status check_buffers(char** strary, int64_t n) {
    for (int64_t i = 0; i < n; ++i)
        if (strary[i] == nullptr)
            return Status::Error(HNULLP, "strary[" + std::to_string(i) + "] is a null pointer");
    return Status::OK();
}

Status get_one(int dbkey, const char* objnam, int* range, char* strval, int* ismiss, int inlen,
               int* outlen) {
    CRQX_RETURN_IF_ERROR(api::not_null(strval, "strval"));
    CRQX_RETURN_IF_ERROR(api::not_null(ismiss, "ismiss"));
    CRQX_RETURN_IF_ERROR(api::not_null(outlen, "outlen"));
    if (inlen < 0) return Status::Error(HBLEN, "inlen " + std::to_string(inlen) + " is negative");
    api::ReadCall reading(dbkey, range);
    SeriesTarget t;
    CRQX_RETURN_IF_ERROR(find_strings(dbkey, objnam, range, &t));
    if (t.span.count() != 1) return one_observation(t);
    std::vector<std::string> texts;
    CRQX_RETURN_IF_ERROR(read_texts(t, &texts));
    int slot = text_slot(texts[0]);
    const std::string text = slot >= 0 ? std::string() : texts[0];
    bool cut = false;
    put_text(strval, inlen, text, &cut);
    *ismiss = series::missing_code_of_slot(slot);
    *outlen = static_cast<int>(text.size());
    return cut_status(cut);
}

Status write_one(int dbkey, const char* objnam, int* range, const char* strval, int ismiss,
                 int length) {
    std::string text;
    CRQX_RETURN_IF_ERROR(stored_text(strval, ismiss, length, &text));
    SeriesTarget t;
    CRQX_RETURN_IF_ERROR(find_strings(dbkey, objnam, range, &t));
    if (t.span.count() != 1) return one_observation(t);
    return series::write_span(*t.db, t.object, t.span, &text);
}

// The texts of a range read into caller buffers, after every check of the
// buffers and their lengths (nothing is written when one fails).
Status read_for_buffers(int dbkey, const char* objnam, int* range, char** strary, int* inlenary,
                        int* outlenary, std::vector<std::string>* texts) {
    api::ReadCall reading(dbkey, range);
    SeriesTarget t;
    CRQX_RETURN_IF_ERROR(find_strings(dbkey, objnam, range, &t));
    CRQX_RETURN_IF_ERROR(
        api::not_null(strary, "strary", inlenary, "inlenary", outlenary, "outlenary"));
    const int64_t n = t.span.count();
    CRQX_RETURN_IF_ERROR(check_buffers(strary, n));
    CRQX_RETURN_IF_ERROR(check_lengths(inlenary, n));
    return read_texts(t, texts);
}

Status get_series(int dbkey, const char* objnam, int* range, char** strary, int* misary,
                  int* inlenary, int* outlenary) {
    std::vector<std::string> texts;
    CRQX_RETURN_IF_ERROR(
        read_for_buffers(dbkey, objnam, range, strary, inlenary, outlenary, &texts));
    CRQX_RETURN_IF_ERROR(api::not_null(misary, "an array"));
    bool cut = false;
    for (size_t i = 0; i < texts.size(); ++i) {
        int slot = text_slot(texts[i]);
        const std::string& text = slot >= 0 ? std::string() : texts[i];
        put_text(strary[i], inlenary[i], text, &cut);
        misary[i] = series::missing_code_of_slot(slot);
        outlenary[i] = static_cast<int>(text.size());
    }
    return cut_status(cut);
}

Status write_series(int dbkey, const char* objnam, int* range, char** strary, const int* misary,
                    const int* lenary) {
    SeriesTarget t;
    CRQX_RETURN_IF_ERROR(find_strings(dbkey, objnam, range, &t));
    CRQX_RETURN_IF_ERROR(api::not_null(strary, "strary", misary, "misary", lenary, "lenary"));
    const int64_t n = t.span.count();
    std::vector<std::string> texts(static_cast<size_t>(n));
    for (int64_t i = 0; i < n; ++i)
        CRQX_RETURN_IF_ERROR(stored_text(strary[i], misary[i], lenary[i], &texts[i]));
    return series::write_span(*t.db, t.object, t.span, texts.data());
}

// Lengths of what the reads deliver: 0 for a missing string in the classic
// functions, the missing code's text length in the extended ones.
Status lengths(int dbkey, const char* objnam, int* range, int* lenary, bool classic) {
    api::ReadCall reading(dbkey, range);
    SeriesTarget t;
    CRQX_RETURN_IF_ERROR(find_strings(dbkey, objnam, range, &t));
    CRQX_RETURN_IF_ERROR(api::not_null(lenary, "lenary"));
    std::vector<std::string> texts;
    CRQX_RETURN_IF_ERROR(read_texts(t, &texts));
    for (size_t i = 0; i < texts.size(); ++i)
        lenary[i] = classic && text_slot(texts[i]) >= 0 ? 0 : static_cast<int>(texts[i].size());
    return Status::OK();
}

Status get_strings(int dbkey, const char* objnam, int* range, char** strary, int* inlenary,
                   int* outlenary) {
    std::vector<std::string> texts;
    CRQX_RETURN_IF_ERROR(
        read_for_buffers(dbkey, objnam, range, strary, inlenary, outlenary, &texts));
    bool cut = false;
    for (size_t i = 0; i < texts.size(); ++i) {
        put_text(strary[i], inlenary[i], texts[i], &cut);
        outlenary[i] = static_cast<int>(texts[i].size());
    }
    return cut_status(cut);
}

Status write_strings(int dbkey, const char* objnam, int* range, char** strary) {
    SeriesTarget t;
    CRQX_RETURN_IF_ERROR(find_strings(dbkey, objnam, range, &t));
    CRQX_RETURN_IF_ERROR(api::not_null(strary, "strary"));
    const int64_t n = t.span.count();
    CRQX_RETURN_IF_ERROR(check_buffers(strary, n));
    std::vector<std::string> texts(strary, strary + n);
    return series::write_span(*t.db, t.object, t.span, texts.data());
}

Status find_string_object(int dbkey, const char* objnam, SeriesTarget* t) {
    CRQX_RETURN_IF_ERROR(api::find_object_of(dbkey, objnam, t));
    return api::require_class(*t, api::ValueClass::String);
}

}  // namespace

extern "C" {

void qzvgtstr(int* status, int dbkey, char* objnam, int* range, char* strval, int* ismiss,
              int inlen, int* outlen) {
    set_status(status, run("qzvgtstr", [&] {
                   return get_one(dbkey, objnam, range, strval, ismiss, inlen, outlen);
               }));
}

void qzvwstr(int* status, int dbkey, char* objnam, int* range, char* strval, int ismiss,
             int length) {
    set_status(status, run("qzvwstr", [&] {
                   return write_one(dbkey, objnam, range, strval, ismiss, length);
               }));
}

void qzvgtsts(int* status, int dbkey, char* objnam, int* range, char** strary, int* misary,
              int* inlenary, int* outlenary) {
    set_status(status, run("qzvgtsts", [&] {
                   return get_series(dbkey, objnam, range, strary, misary, inlenary, outlenary);
               }));
}

void qzvwsts(int* status, int dbkey, char* objnam, int* range, char** strary, int* misary,
             int* lenary) {
    set_status(status, run("qzvwsts", [&] {
                   return write_series(dbkey, objnam, range, strary, misary, lenary);
               }));
}

void qzvlsts(int* status, int dbkey, char* objnam, int* range, int* lenary) {
    set_status(status, run("qzvlsts", [&] { return lengths(dbkey, objnam, range, lenary, true); }));
}

void qzvssln(int* status, int dbkey, char* objnam, int length) {
    set_status(
        status, run("qzvssln", [&] {
            if (length < 0)
                return Status::Error(HBNCHR, "length " + std::to_string(length) + " is negative");
            SeriesTarget t;
            CRQX_RETURN_IF_ERROR(find_string_object(dbkey, objnam, &t));
            return objects::modify_object(*t.db, t.object.record.name, [&](store::ObjectRecord& r) {
                r.numchr_hint = length;
                return Status::OK();
            });
        }));
}

void qzvgsln(int* status, int dbkey, char* objnam, int* length) {
    set_status(status, run("qzvgsln", [&] {
                   CRQX_RETURN_IF_ERROR(api::not_null(length, "length"));
                   SeriesTarget t;
                   CRQX_RETURN_IF_ERROR(find_string_object(dbkey, objnam, &t));
                   *length = t.object.record.numchr_hint;
                   return Status::OK();
               }));
}

int zavo_get_strings(int dbkey, char* objnam, int* range, char** strary, int* inlenary,
                     int* outlenary) {
    return run("zavo_get_strings",
               [&] { return get_strings(dbkey, objnam, range, strary, inlenary, outlenary); });
}

int zavo_write_strings(int dbkey, char* objnam, int* range, char** strary) {
    return run("zavo_write_strings", [&] { return write_strings(dbkey, objnam, range, strary); });
}

int zavo_len_strings(int dbkey, char* objnam, int* range, int* lenary) {
    return run("zavo_len_strings", [&] { return lengths(dbkey, objnam, range, lenary, false); });
}

}  // extern "C"
