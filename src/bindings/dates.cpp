// Dates, frequencies, index and time conversions, literals and pictures.
#include "bindings/declare.h"
#include "crqx.h"

namespace pyrqx {

namespace {
// zavo_int_to_index converts one value: its cells hold one int each.
using OneIndex = CountAtMost<param::numobs, 1>;
// zavo_index_to_int: numobs within both lists.
using WithinBothLists = All<CountWithinList<param::numobs, param::indexes64ary>,
                            CountWithinList<param::numobs, param::indexes32ary>>;
}  // namespace

const FunctionTable& date_functions() {
    static const FunctionTable functions = {
        // Date conversions
        classic<qzvdatd>(value<int>, value<int>, inout<int>, inout<int>, inout<int>),
        classic<qzvddat>(value<int>, inout<int>, value<int>, value<int>, value<int>),
        classic<qzvdatp>(value<int>, value<int>, inout<int>, inout<int>),
        classic<qzvpdat>(value<int>, inout<int>, value<int>, value<int>),
        classic<qzvdatf>(value<int>, value<int>, inout<int>, inout<int>, value<int>, value<int>),
        classic<qzvfdat>(value<int>, inout<int>, value<int>, value<int>, value<int>, value<int>),
        classic<qzvdatt>(value<int>, value<int>, inout<int>, inout<int>, inout<int>, inout<int>),
        classic<qzvtdat>(value<int>, inout<int>, value<int>, value<int>, value<int>, value<int>),
        classic<qzvdatl>(value<int>, value<int>, text, value<int>, value<int>),
        classic<qzvldat>(value<int>, inout<int>, text, value<int>, value<int>, value<int>),
        classic<qzvdati>(value<int>, value<int>, text, text, value<int>, value<int>),
        classic<qzvidat>(value<int>, inout<int>, text, text, value<int>, value<int>, value<int>),
        classic<qzvtody>(value<int>, inout<int>),
        classic<qzvislp>(value<int>, inout<int>),

        // Frequencies and calendars
        classic<qzvpfrq>(inout<int>, value<int>, value<int>, value<int>, value<int>),
        classic<qzvufrq>(value<int>, inout<int>, inout<int>, inout<int>, inout<int>),
        classic<qzvfdiv>(value<int>, value<int>, inout<int>),
        classic<qzvchfr>(value<int>, value<int>, value<int>, value<int>, inout<int>, value<int>),
        classic<qzvwkdy>(value<int>, value<int>, inout<int>),
        classic<qzvbwdy>(value<int>, value<int>, inout<int>),
        classic<qzvpind>(value<int>, inout<int>),
        classic<qzvpinm>(value<int>, value<int>, value<int>, inout<int>),
        classic<qzvpiny>(value<int>, value<int>, inout<int>),

        // Index and time conversions
        extended<zavo_year_period_to_index>(value<int>, inout<int>, value<int>, value<int>),
        extended<zavo_index_to_year_period>(value<int>, value<int>, inout<int>, inout<int>),
        extended<zavo_index_to_day>(value<int>, value<int>, inout<int>, inout<int>, inout<int>),
        extended<zavo_day_to_index>(value<int>, inout<int>, value<int>, value<int>, value<int>,
                                    value<int>),
        extended<zavo_index_to_time>(value<int>, value<int>, inout<int>, inout<int>, inout<int>,
                                     inout<int>, inout<int>, inout<int>, inout<int>),
        extended<zavo_time_to_index>(value<int>, inout<int>, value<int>, value<int>, value<int>,
                                     value<int>, value<int>, value<int>, value<int>, value<int>),
        extended<zavo_int_to_index, OneIndex>(in_cell<int>, inout<int>, value<int>),
        extended<zavo_index_to_int, WithinBothLists>(values_in<int>, values<int>, value<int>),
        extended<zavo_current_time>(value<int>, inout<int>),
        extended<zavo_date_missing_type>(value<int>, inout<int>),
        extended<zavo_weekday>(value<int>, value<int>, inout<int>),
        extended<zavo_biweekday>(value<int>, value<int>, inout<int>),
        extended<zavo_dateof>(value<int>, value<int>, value<int>, value<int>, inout<int>,
                              value<int>),
        extended<zavo_parse_frequency>(inout<int>, text),
        extended<zavo_get_base_frequency>(inout<int>, value<int>),

        // Date literals and formatting
        extended<zavo_literal_to_date>(value<int>, inout<int>, text, value<int>, value<int>,
                                       value<int>),
        extended<zavo_scan_date>(value<int>, inout<int>, text, text, value<int>, value<int>,
                                 value<int>),
        extended<zavo_date_to_literal, RoomFor<param::literal, param::inlen>>(
            value<int>, value<int>, text, value<int>, value<int>, value<int>, inout<int>),
        extended<zavo_format_date, RoomFor<param::string, param::inlen>>(
            value<int>, value<int>, text, text, value<int>, value<int>, value<int>, inout<int>),
    };
    return functions;
}

}  // namespace pyrqx
