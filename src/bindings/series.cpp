// Series data: ranges, reads and writes of every value kind, missing values.
//
// Every list the library reads or fills over a range is checked against the
// range's observation count before the call (SpansRange): a short list would
// let the library read or write past the array. Positions below are Python
// parameter positions, the status cell of a classic function being 0.
#include "crqx.h"
#include "bindings/declare.h"
#include "bindings/series_policies.h"

namespace pyrqx {
namespace {

// The typed classic families: status, dbkey, objnam, range_ (3), valary (4).
using FillsValues = SpansRange<3, Filled<4>, Read<>>;
using ReadsValues = SpansRange<3, Filled<>, Read<4>>;
// qzvwrmt_*: status, dbkey, objnam, objtyp, range_ (4), valary (5).
using WritesTypedValues = SpansRange<4, Filled<>, Read<5>>;
// qzvrdfa_*: valary (7) holds the wntobs (3) values asked for.
using FillsWanted = HoldsCount<7, 3>;

// qzvgtstr / qzvwstr: strval (4) has room for the length argument (6).
using RoomForText = RoomFor<4, 6>;
// qzvgtsts: strary (4) filled, misary (5) filled, inlenary (6) read and
// sizing each string, outlenary (7) filled.
using GetsStringSeries =
    All<SpansRangeWithStrings<3, Filled<5, 7>, Read<6>, Strings<4>>, RoomForEach<4, 6>>;
// qzvwsts: strary (4), misary (5), lenary (6), all read; lenary gives each
// string's length, so each buffer holds at least that many bytes.
using WritesStringSeries =
    All<SpansRangeWithStrings<3, Filled<>, Read<5, 6>, Strings<4>>, RoomForEach<4, 6>>;
// qzvlsts: lenary (4) filled.
using FillsLengths = SpansRange<3, Filled<4>, Read<>>;

// The extended typed functions: dbkey, objnam, range_ (2), valary (3).
using FillsArray = SpansRange<2, Filled<3>, Read<>>;
using ReadsArray = SpansRange<2, Filled<>, Read<3>>;
// zavo_write_dates: dbkey, objnam, range_, value_type, valary (4).
using ReadsDates = SpansRange<2, Filled<>, Read<4>>;
// zavo_get_strings: strary (3) filled, inlenary (4) read and sizing each
// string, outlenary (5) filled.
using GetsStrings =
    All<SpansRangeWithStrings<2, Filled<5>, Read<4>, Strings<3>>, RoomForEach<3, 4>>;
// zavo_write_strings: strary (3) read.
using WritesStrings = SpansRangeWithStrings<2, Filled<>, Read<>, Strings<3>>;

}  // namespace

const FunctionTable& series_functions() {
    // Named so as not to hide table<T>(), the translation-table kind.
    static const FunctionTable functions = {
        // Ranges
        classic<qzvsrng>("qzvsrng", value<int>("freq"), inout<int>("syear"), inout<int>("sprd"),
                         inout<int>("eyear"), inout<int>("eprd"), range_filled("range_"),
                         inout<int>("numobs")),
        classic<qzvsfis>("qzvsfis", value<int>("freq"), inout<int>("syear"), inout<int>("sprd"),
                         inout<int>("eyear"), inout<int>("eprd"), range_filled("range_"),
                         inout<int>("numobs"), value<int>("fmonth"), value<int>("flabel")),
        extended<zavo_init_range_from_indexes>("zavo_init_range_from_indexes",
                                               range_filled("range_"), value<int>("freq"),
                                               value<int>("start"), value<int>("end")),
        extended<zavo_init_range_from_start_numobs>("zavo_init_range_from_start_numobs",
                                                    range_filled("range_"), value<int>("freq"),
                                                    value<int>("start"), value<int>("numobs")),
        extended<zavo_init_range_from_end_numobs>("zavo_init_range_from_end_numobs",
                                                  range_filled("range_"), value<int>("freq"),
                                                  value<int>("end"), value<int>("numobs")),
        extended<zavo_get_range_numobs>("zavo_get_range_numobs", range("range_"),
                                        inout<int>("numobs")),

        // Numeric range reads and writes, one library function per direction
        classic<qzvrrng_f, FillsValues>("qzvrrng_int", value<int>("dbkey"), text("objnam"),
                                        range("range_"), values<int>("valary"),
                                        value<int>("tmiss"), table<int>("mistt")),
        classic<qzvrrng_f, FillsValues>("qzvrrng_float", value<int>("dbkey"), text("objnam"),
                                        range("range_"), values<float>("valary"),
                                        value<int>("tmiss"), table<float>("mistt")),
        classic<qzvrrng_f, FillsValues>("qzvrrng_double", value<int>("dbkey"), text("objnam"),
                                        range("range_"), values<double>("valary"),
                                        value<int>("tmiss"), table<double>("mistt")),
        classic<qzvwrng_f, ReadsValues>("qzvwrng_int", value<int>("dbkey"), text("objnam"),
                                        range("range_"), values<int>("valary"),
                                        value<int>("tmiss"), table<int>("mistt")),
        classic<qzvwrng_f, ReadsValues>("qzvwrng_float", value<int>("dbkey"), text("objnam"),
                                        range("range_"), values<float>("valary"),
                                        value<int>("tmiss"), table<float>("mistt")),
        classic<qzvwrng_f, ReadsValues>("qzvwrng_double", value<int>("dbkey"), text("objnam"),
                                        range("range_"), values<double>("valary"),
                                        value<int>("tmiss"), table<double>("mistt")),

        // Strings and string series
        classic<qzvgtstr, RoomForText>("qzvgtstr", value<int>("dbkey"), text("objnam"),
                                       range("range_"), text("strval"), inout<int>("ismiss"),
                                       value<int>("inlen"), inout<int>("outlen")),
        classic<qzvwstr, RoomForText>("qzvwstr", value<int>("dbkey"), text("objnam"),
                                      range("range_"), text("strval"), value<int>("ismiss"),
                                      value<int>("length")),
        classic<qzvgtsts, GetsStringSeries>("qzvgtsts", value<int>("dbkey"), text("objnam"),
                                            range("range_"), strings("strary"),
                                            values<int>("misary"), values_in<int>("inlenary"),
                                            values<int>("outlenary")),
        classic<qzvwsts, WritesStringSeries>("qzvwsts", value<int>("dbkey"), text("objnam"),
                                             range("range_"), strings("strary"),
                                             values<int>("misary"), values<int>("lenary")),
        classic<qzvlsts, FillsLengths>("qzvlsts", value<int>("dbkey"), text("objnam"),
                                       range("range_"), values<int>("lenary")),
        classic<qzvssln>("qzvssln", value<int>("dbkey"), text("objnam"), value<int>("length")),
        classic<qzvgsln>("qzvgsln", value<int>("dbkey"), text("objnam"), inout<int>("length")),

        // Missing values: translation tables and tests
        classic<qzvsnm>("qzvsnm", value<float>("nctran"), value<float>("ndtran"),
                        value<float>("natran"), table<float>("nmistt")),
        classic<qzvspm>("qzvspm", value<double>("nctran"), value<double>("ndtran"),
                        value<double>("natran"), table<double>("pmistt")),
        classic<qzvsbm>("qzvsbm", value<int>("nctran"), value<int>("ndtran"),
                        value<int>("natran"), table<int>("bmistt")),
        classic<qzvsdm>("qzvsdm", value<int>("nctran"), value<int>("ndtran"),
                        value<int>("natran"), table<int>("dmistt")),
        classic<qzvisnm>("qzvisnm", value<float>("value"), inout<int>("ismiss")),
        classic<qzvispm>("qzvispm", value<double>("value"), inout<int>("ismiss")),
        classic<qzvisbm>("qzvisbm", value<int>("value"), inout<int>("ismiss")),
        classic<qzvisdm>("qzvisdm", value<int>("value"), inout<int>("ismiss")),
        classic<qzvissm>("qzvissm", text("value"), inout<int>("ismiss")),

        // Typed reads and writes of the extended interface
        extended<zavo_get_numerics, FillsArray>("zavo_get_numerics", value<int>("dbkey"),
                                                text("objnam"), range("range_"),
                                                values<float>("valary")),
        extended<zavo_get_precisions, FillsArray>("zavo_get_precisions", value<int>("dbkey"),
                                                  text("objnam"), range("range_"),
                                                  values<double>("valary")),
        extended<zavo_get_booleans, FillsArray>("zavo_get_booleans", value<int>("dbkey"),
                                                text("objnam"), range("range_"),
                                                values<int>("valary")),
        extended<zavo_get_dates, FillsArray>("zavo_get_dates", value<int>("dbkey"),
                                             text("objnam"), range("range_"),
                                             values<int>("valary")),
        extended<zavo_get_strings, GetsStrings>("zavo_get_strings", value<int>("dbkey"),
                                                text("objnam"), range("range_"),
                                                strings("strary"), values_in<int>("inlenary"),
                                                values<int>("outlenary")),
        extended<zavo_write_numerics, ReadsArray>("zavo_write_numerics", value<int>("dbkey"),
                                                  text("objnam"), range("range_"),
                                                  values_in<float>("valary")),
        extended<zavo_write_precisions, ReadsArray>("zavo_write_precisions", value<int>("dbkey"),
                                                    text("objnam"), range("range_"),
                                                    values_in<double>("valary")),
        extended<zavo_write_booleans, ReadsArray>("zavo_write_booleans", value<int>("dbkey"),
                                                  text("objnam"), range("range_"),
                                                  values_in<int>("valary")),
        extended<zavo_write_dates, ReadsDates>("zavo_write_dates", value<int>("dbkey"),
                                               text("objnam"), range("range_"),
                                               value<int>("value_type"), values_in<int>("valary")),
        extended<zavo_write_strings, WritesStrings>("zavo_write_strings", value<int>("dbkey"),
                                                    text("objnam"), range("range_"),
                                                    strings("strary")),
        extended<zavo_len_strings, FillsArray>("zavo_len_strings", value<int>("dbkey"),
                                               text("objnam"), range("range_"),
                                               values<int>("lenary")),

        // Year-period reads and typed writes, one library function per family
        classic<qzvrdfa_f, FillsWanted>("qzvrdfa_int", value<int>("dbkey"), text("objnam"),
                                        value<int>("wntobs"), inout<int>("syear"),
                                        inout<int>("sprd"), inout<int>("gotobs"),
                                        values<int>("valary"), value<int>("tmiss"),
                                        table<int>("mistt")),
        classic<qzvrdfa_f, FillsWanted>("qzvrdfa_float", value<int>("dbkey"), text("objnam"),
                                        value<int>("wntobs"), inout<int>("syear"),
                                        inout<int>("sprd"), inout<int>("gotobs"),
                                        values<float>("valary"), value<int>("tmiss"),
                                        table<float>("mistt")),
        classic<qzvrdfa_f, FillsWanted>("qzvrdfa_double", value<int>("dbkey"), text("objnam"),
                                        value<int>("wntobs"), inout<int>("syear"),
                                        inout<int>("sprd"), inout<int>("gotobs"),
                                        values<double>("valary"), value<int>("tmiss"),
                                        table<double>("mistt")),
        classic<qzvwrmt_f, WritesTypedValues>("qzvwrmt_int", value<int>("dbkey"), text("objnam"),
                                              value<int>("objtyp"), range("range_"),
                                              values<int>("valary"), value<int>("tmiss"),
                                              table<int>("mistt")),
        classic<qzvwrmt_f, WritesTypedValues>("qzvwrmt_float", value<int>("dbkey"),
                                              text("objnam"), value<int>("objtyp"),
                                              range("range_"), values<float>("valary"),
                                              value<int>("tmiss"), table<float>("mistt")),
        classic<qzvwrmt_f, WritesTypedValues>("qzvwrmt_double", value<int>("dbkey"),
                                              text("objnam"), value<int>("objtyp"),
                                              range("range_"), values<double>("valary"),
                                              value<int>("tmiss"), table<double>("mistt")),
    };
    return functions;
}

}  // namespace pyrqx
