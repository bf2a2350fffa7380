// Dates, frequencies, index and time conversions, literals and pictures.
#include "crqx.h"
#include "bindings/dates_policies.h"
#include "bindings/declare.h"

namespace pyrqx {

namespace {
// zavo_int_to_index converts one value: its cells hold one int each.
using OneIndex = CountAtMost<2, 1>;
// zavo_index_to_int: numobs within both lists.
using WithinBothLists = All<CountWithinList<2, 0>, CountWithinList<2, 1>>;
// The text-producing functions tell the library the room of their text by
// inlen: the buffer grows to hold it plus the terminator.
using LiteralRoom = RoomFor<2, 5>;  // zavo_date_to_literal: literal, inlen
using FormatRoom = RoomFor<2, 6>;   // zavo_format_date: string, inlen
}  // namespace

const FunctionTable& date_functions() {
    static const FunctionTable table = {
        // Date conversions
        classic<qzvdatd>("qzvdatd", value<int>("freq"), value<int>("date"), inout<int>("year"),
            inout<int>("month"), inout<int>("day")),
        classic<qzvddat>("qzvddat", value<int>("freq"), inout<int>("date"), value<int>("year"),
            value<int>("month"), value<int>("day")),
        classic<qzvdatp>("qzvdatp", value<int>("freq"), value<int>("date"), inout<int>("year"),
            inout<int>("period")),
        classic<qzvpdat>("qzvpdat", value<int>("freq"), inout<int>("date"), value<int>("year"),
            value<int>("period")),
        classic<qzvdatf>("qzvdatf", value<int>("freq"), value<int>("date"), inout<int>("year"),
            inout<int>("period"), value<int>("fmonth"), value<int>("flabel")),
        classic<qzvfdat>("qzvfdat", value<int>("freq"), inout<int>("date"), value<int>("year"),
            value<int>("period"), value<int>("fmonth"), value<int>("flabel")),
        classic<qzvdatt>("qzvdatt", value<int>("freq"), value<int>("date"), inout<int>("hour"),
            inout<int>("minute"), inout<int>("second"), inout<int>("ddate")),
        classic<qzvtdat>("qzvtdat", value<int>("freq"), inout<int>("date"), value<int>("hour"),
            value<int>("minute"), value<int>("second"), value<int>("ddate")),
        classic<qzvdatl>("qzvdatl", value<int>("freq"), value<int>("date"), text("datstr"),
            value<int>("fmonth"), value<int>("flabel")),
        classic<qzvldat>("qzvldat", value<int>("freq"), inout<int>("date"), text("datstr"),
            value<int>("fmonth"), value<int>("flabel"), value<int>("centry")),
        classic<qzvdati>("qzvdati", value<int>("freq"), value<int>("date"), text("datstr"),
            text("image"), value<int>("fmonth"), value<int>("flabel")),
        classic<qzvidat>("qzvidat", value<int>("freq"), inout<int>("date"), text("datstr"),
            text("image"), value<int>("fmonth"), value<int>("flabel"), value<int>("centry")),
        classic<qzvtody>("qzvtody", value<int>("freq"), inout<int>("date")),
        classic<qzvislp>("qzvislp", value<int>("year"), inout<int>("leap")),

        // Frequencies and calendars
        classic<qzvpfrq>("qzvpfrq", inout<int>("freq"), value<int>("base"), value<int>("nunits"),
            value<int>("year"), value<int>("month")),
        classic<qzvufrq>("qzvufrq", value<int>("freq"), inout<int>("base"), inout<int>("nunits"),
            inout<int>("year"), inout<int>("month")),
        classic<qzvfdiv>("qzvfdiv", value<int>("freq1"), value<int>("freq2"), inout<int>("flag")),
        classic<qzvchfr>("qzvchfr", value<int>("sfreq"), value<int>("sdate"), value<int>("select"),
            value<int>("tfreq"), inout<int>("tdate"), value<int>("relate")),
        classic<qzvwkdy>("qzvwkdy", value<int>("freq"), value<int>("date"), inout<int>("wkdy")),
        classic<qzvbwdy>("qzvbwdy", value<int>("freq"), value<int>("date"), inout<int>("biwkdy")),
        classic<qzvpind>("qzvpind", value<int>("freq"), inout<int>("count")),
        classic<qzvpinm>("qzvpinm", value<int>("freq"), value<int>("year"), value<int>("month"),
            inout<int>("count")),
        classic<qzvpiny>("qzvpiny", value<int>("freq"), value<int>("year"), inout<int>("count")),

        // Index and time conversions
        extended<zavo_year_period_to_index>("zavo_year_period_to_index", value<int>("freq"),
            inout<int>("date"), value<int>("year"), value<int>("period")),
        extended<zavo_index_to_year_period>("zavo_index_to_year_period", value<int>("freq"),
            value<int>("date"), inout<int>("year"), inout<int>("period")),
        extended<zavo_index_to_day>("zavo_index_to_day", value<int>("freq"), value<int>("date"),
            inout<int>("year"), inout<int>("month"), inout<int>("day")),
        extended<zavo_day_to_index>("zavo_day_to_index", value<int>("freq"), inout<int>("date"),
            value<int>("year"), value<int>("month"), value<int>("day"), value<int>("relate")),
        extended<zavo_index_to_time>("zavo_index_to_time", value<int>("freq"), value<int>("date"),
            inout<int>("year"), inout<int>("month"), inout<int>("day"), inout<int>("hour"),
            inout<int>("minute"), inout<int>("second"), inout<int>("millisecond")),
        extended<zavo_time_to_index>("zavo_time_to_index", value<int>("freq"), inout<int>("date"),
            value<int>("year"), value<int>("month"), value<int>("day"), value<int>("hour"),
            value<int>("minute"), value<int>("second"), value<int>("millisecond"),
            value<int>("relate")),
        extended<zavo_int_to_index, OneIndex>("zavo_int_to_index", in_cell<int>("indexes32"),
            inout<int>("indexes64"), value<int>("numobs")),
        extended<zavo_index_to_int, WithinBothLists>("zavo_index_to_int",
            values_in<int>("indexes64ary"), values<int>("indexes32ary"), value<int>("numobs")),
        extended<zavo_current_time>("zavo_current_time", value<int>("freq"), inout<int>("date")),
        extended<zavo_date_missing_type>("zavo_date_missing_type", value<int>("date"),
            inout<int>("missing_type")),
        extended<zavo_weekday>("zavo_weekday", value<int>("freq"), value<int>("date"),
            inout<int>("weekday")),
        extended<zavo_biweekday>("zavo_biweekday", value<int>("freq"), value<int>("date"),
            inout<int>("biweekday")),
        extended<zavo_dateof>("zavo_dateof", value<int>("from_freq"), value<int>("from_date"),
            value<int>("select"), value<int>("to_freq"), inout<int>("to_date"),
            value<int>("relate")),
        extended<zavo_parse_frequency>("zavo_parse_frequency", inout<int>("freq"),
            text("frequency_spec")),
        extended<zavo_get_base_frequency>("zavo_get_base_frequency", inout<int>("base_freq"),
            value<int>("freq")),

        // Date literals and formatting
        extended<zavo_literal_to_date>("zavo_literal_to_date", value<int>("freq"),
            inout<int>("date"), text("literal"), value<int>("end_month"),
            value<int>("label_year"), value<int>("century")),
        extended<zavo_scan_date>("zavo_scan_date", value<int>("freq"), inout<int>("date"),
            text("string"), text("image"), value<int>("end_month"), value<int>("label_year"),
            value<int>("century")),
        extended<zavo_date_to_literal, LiteralRoom>("zavo_date_to_literal", value<int>("freq"),
            value<int>("date"), text("literal"), value<int>("end_month"),
            value<int>("label_year"), value<int>("inlen"), inout<int>("outlen")),
        extended<zavo_format_date, FormatRoom>("zavo_format_date", value<int>("freq"),
            value<int>("date"), text("string"), text("image"), value<int>("end_month"),
            value<int>("label_year"), value<int>("inlen"), inout<int>("outlen")),
    };
    return table;
}

}  // namespace pyrqx
