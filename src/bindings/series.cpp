// Series data: ranges, reads and writes of every value kind, missing values.
//
// Every list the library reads or fills over a range is checked against the
// range's observation count before the call (SpansRange): a short list would
// let the library read or write past the array.
#include "bindings/declare.h"
#include "crqx.h"

namespace pyrqx {
namespace {

// The value lists of the typed reads and writes, classic and extended.
using FillsValues = SpansRange<param::range, Filled<param::valary>, Read<>>;
using ReadsValues = SpansRange<param::range, Filled<>, Read<param::valary>>;
using FillsLengths = SpansRange<param::range, Filled<param::lenary>, Read<>>;
// qzvrdfa_*: valary holds the wntobs values asked for.
using FillsWanted = HoldsCount<param::valary, param::wntobs>;

// The string lists: inlenary sizes each string the library fills, lenary
// each string it reads.
using GetsStringSeries = All<SpansRange<param::range, Filled<param::misary, param::outlenary>,
                                        Read<param::inlenary>, Strings<param::strary>>,
                             RoomForEach<param::strary, param::inlenary>>;
using WritesStringSeries = All<
    SpansRange<param::range, Filled<>, Read<param::misary, param::lenary>, Strings<param::strary>>,
    RoomForEach<param::strary, param::lenary>>;
using GetsStrings = All<SpansRange<param::range, Filled<param::outlenary>, Read<param::inlenary>,
                                   Strings<param::strary>>,
                        RoomForEach<param::strary, param::inlenary>>;
using WritesStrings = SpansRange<param::range, Filled<>, Read<>, Strings<param::strary>>;

}  // namespace

const FunctionTable& series_functions() {
    static const FunctionTable functions = {
        // Ranges
        classic<qzvsrng>(value<int>, inout<int>, inout<int>, inout<int>, inout<int>, range_filled,
                         inout<int>),
        classic<qzvsfis>(value<int>, inout<int>, inout<int>, inout<int>, inout<int>, range_filled,
                         inout<int>, value<int>, value<int>),
        extended<zavo_init_range_from_indexes>(range_filled, value<int>, value<int>, value<int>),
        extended<zavo_init_range_from_start_numobs>(range_filled, value<int>, value<int>,
                                                    value<int>),
        extended<zavo_init_range_from_end_numobs>(range_filled, value<int>, value<int>, value<int>),
        extended<zavo_get_range_numobs>(range, inout<int>),

        // Numeric range reads and writes, one library function per direction
        member<qzvrrng_f, int, FillsValues>(value<int>, text, range, values<int>, value<int>,
                                            table<int>),
        member<qzvrrng_f, float, FillsValues>(value<int>, text, range, values<float>, value<int>,
                                              table<float>),
        member<qzvrrng_f, double, FillsValues>(value<int>, text, range, values<double>, value<int>,
                                               table<double>),
        member<qzvwrng_f, int, ReadsValues>(value<int>, text, range, values<int>, value<int>,
                                            table<int>),
        member<qzvwrng_f, float, ReadsValues>(value<int>, text, range, values<float>, value<int>,
                                              table<float>),
        member<qzvwrng_f, double, ReadsValues>(value<int>, text, range, values<double>, value<int>,
                                               table<double>),

        // Strings and string series
        classic<qzvgtstr, RoomFor<param::strval, param::inlen>>(value<int>, text, range, text,
                                                                inout<int>, value<int>, inout<int>),
        classic<qzvwstr, RoomFor<param::strval, param::length>>(value<int>, text, range, text,
                                                                value<int>, value<int>),
        classic<qzvgtsts, GetsStringSeries>(value<int>, text, range, strings, values<int>,
                                            values_in<int>, values<int>),
        classic<qzvwsts, WritesStringSeries>(value<int>, text, range, strings, values<int>,
                                             values<int>),
        classic<qzvlsts, FillsLengths>(value<int>, text, range, values<int>),
        classic<qzvssln>(value<int>, text, value<int>),
        classic<qzvgsln>(value<int>, text, inout<int>),

        // Missing values: translation tables and tests
        classic<qzvsnm>(value<float>, value<float>, value<float>, table<float>),
        classic<qzvspm>(value<double>, value<double>, value<double>, table<double>),
        classic<qzvsbm>(value<int>, value<int>, value<int>, table<int>),
        classic<qzvsdm>(value<int>, value<int>, value<int>, table<int>),
        classic<qzvisnm>(value<float>, inout<int>),
        classic<qzvispm>(value<double>, inout<int>),
        classic<qzvisbm>(value<int>, inout<int>),
        classic<qzvisdm>(value<int>, inout<int>),
        classic<qzvissm>(text, inout<int>),

        // Typed reads and writes of the extended interface
        extended<zavo_get_numerics, FillsValues>(value<int>, text, range, values<float>),
        extended<zavo_get_precisions, FillsValues>(value<int>, text, range, values<double>),
        extended<zavo_get_booleans, FillsValues>(value<int>, text, range, values<int>),
        extended<zavo_get_dates, FillsValues>(value<int>, text, range, values<int>),
        extended<zavo_get_strings, GetsStrings>(value<int>, text, range, strings, values_in<int>,
                                                values<int>),
        extended<zavo_write_numerics, ReadsValues>(value<int>, text, range, values_in<float>),
        extended<zavo_write_precisions, ReadsValues>(value<int>, text, range, values_in<double>),
        extended<zavo_write_booleans, ReadsValues>(value<int>, text, range, values_in<int>),
        extended<zavo_write_dates, ReadsValues>(value<int>, text, range, value<int>,
                                                values_in<int>),
        extended<zavo_write_strings, WritesStrings>(value<int>, text, range, strings),
        extended<zavo_len_strings, FillsLengths>(value<int>, text, range, values<int>),

        // Year-period reads and typed writes, one library function per family
        member<qzvrdfa_f, int, FillsWanted>(value<int>, text, value<int>, inout<int>, inout<int>,
                                            inout<int>, values<int>, value<int>, table<int>),
        member<qzvrdfa_f, float, FillsWanted>(value<int>, text, value<int>, inout<int>, inout<int>,
                                              inout<int>, values<float>, value<int>, table<float>),
        member<qzvrdfa_f, double, FillsWanted>(value<int>, text, value<int>, inout<int>, inout<int>,
                                               inout<int>, values<double>, value<int>,
                                               table<double>),
        member<qzvwrmt_f, int, ReadsValues>(value<int>, text, value<int>, range, values<int>,
                                            value<int>, table<int>),
        member<qzvwrmt_f, float, ReadsValues>(value<int>, text, value<int>, range, values<float>,
                                              value<int>, table<float>),
        member<qzvwrmt_f, double, ReadsValues>(value<int>, text, value<int>, range, values<double>,
                                               value<int>, table<double>),
    };
    return functions;
}

}  // namespace pyrqx
