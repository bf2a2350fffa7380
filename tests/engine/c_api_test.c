/*
 * c_api_test.c: the library as a C program sees it, through crqx.h and the
 * constants listing only. One session walks a database's life: create,
 * write, post, close, reopen read-only, read back, search, fail with a clear
 * status and text, format a date, end. Run with the path of a database file
 * to create (it is replaced).
 */
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "crqx.h"

#define CRQX_CONST(name, value) enum { name = value };
#include "crqx_constants.def"
#undef CRQX_CONST

static const char* phase = "";

static void start_phase(const char* name) {
    phase = name;
    fprintf(stderr, "=== %s\n", name);
}

#define CHECK(cond)                                                                             \
    do {                                                                                        \
        if (!(cond)) {                                                                          \
            fprintf(stderr, "%s:%d: %s: check failed: %s\n", __FILE__, __LINE__, phase, #cond); \
            abort();                                                                            \
        }                                                                                       \
    } while (0)

#define CHECK_STATUS(got, want)                                                                    \
    do {                                                                                           \
        int got_ = (got);                                                                          \
        if (got_ != (want)) {                                                                      \
            fprintf(stderr, "%s:%d: %s: status %d, expected %d (%s)\n", __FILE__, __LINE__, phase, \
                    got_, (int)(want), #want);                                                     \
            abort();                                                                               \
        }                                                                                          \
    } while (0)

/* The last error's text, sized by qzvlerr as a C caller would. */
static char* last_error(void) {
    int status = -1, len = 0;
    char* text;
    qzvlerr(&status, &len);
    CHECK_STATUS(status, HSUCC);
    text = (char*)calloc((size_t)len + 1, 1);
    CHECK(text != NULL);
    memset(text, ' ', (size_t)len); /* the buffer's text length is its room */
    qzvferr(&status, text);
    CHECK_STATUS(status, HSUCC);
    return text;
}

static const double written[5] = {1.5, -2.25, 0.0, 1e300, 42.0};

static void create_and_post(char* path) {
    int status = -1, dbkey = 0, range[CRQX_RANGE_SIZE];
    double values[5];
    char name[] = "SALES";
    start_phase("create, write, post");
    memcpy(values, written, sizeof values);
    values[2] = FPRCND; /* one missing observation */
    qzvopdb(&status, &dbkey, path, HCMODE);
    CHECK_STATUS(status, HSUCC);
    qzvnwob(&status, dbkey, name, HSERIE, HMONTH, HPRECN, HBSDAY, HOBAVG);
    CHECK_STATUS(status, HSUCC);
    CHECK_STATUS(zavo_init_range_from_indexes(range, HMONTH, 600, 604), HSUCC);
    CHECK_STATUS(zavo_write_precisions(dbkey, name, range, values), HSUCC);
    qzvpodb(&status, dbkey);
    CHECK_STATUS(status, HSUCC);
    qzvcldb(&status, dbkey);
    CHECK_STATUS(status, HSUCC);
}

static void read_back(char* path) {
    int status = -1, dbkey = 0, range[CRQX_RANGE_SIZE], i;
    double values[7];
    double table[CRQX_MISSING_TABLE_SIZE] = {0, 0, 0};
    char name[] = "sales"; /* names match regardless of case */
    start_phase("reopen read-only, read back");
    qzvopdb(&status, &dbkey, path, HRMODE);
    CHECK_STATUS(status, HSUCC);
    /* One observation before and one after the stored span read as ND. */
    CHECK_STATUS(zavo_init_range_from_indexes(range, HMONTH, 599, 605), HSUCC);
    CHECK_STATUS(zavo_get_precisions(dbkey, name, range, values), HSUCC);
    CHECK(values[0] == FPRCND && values[6] == FPRCND);
    for (i = 0; i < 5; ++i) {
        if (i == 2)
            CHECK(values[1 + i] == FPRCND);
        else
            CHECK(values[1 + i] == written[i]);
    }
    /* The classic read, element type chosen by the caller. */
    qzvrrng_f(&status, dbkey, name, range, values, HNTMIS, table);
    CHECK_STATUS(status, HSUCC);
    CHECK(values[1] == 1.5 && values[3] == FPRCND);
    /* Writing through a read-only key is refused and changes nothing. */
    CHECK(zavo_write_precisions(dbkey, name, range, values) != HSUCC);
    qzvcldb(&status, dbkey);
    CHECK_STATUS(status, HSUCC);
}

static void search_and_fail(char* path) {
    int status = -1, dbkey = 0, class_ = 0, type = 0, freq = 0, found = 0;
    char pattern[] = "S*", missing[] = "NO_SUCH_SERIES";
    char match[HNAMLEN + 1];
    char* text;
    double value = 0;
    int range[CRQX_RANGE_SIZE];
    start_phase("search, missing object");
    qzvopdb(&status, &dbkey, path, HRMODE);
    CHECK_STATUS(status, HSUCC);
    qzvinwc(&status, dbkey, pattern);
    CHECK_STATUS(status, HSUCC);
    for (;;) {
        memset(match, ' ', HNAMLEN);
        match[HNAMLEN] = '\0';
        qzvnxwc(&status, dbkey, match, &class_, &type, &freq);
        if (status != HSUCC) break;
        CHECK(strcmp(match, "SALES") == 0 && class_ == HSERIE && type == HPRECN && freq == HMONTH);
        ++found;
    }
    CHECK_STATUS(status, HNOOBJ);
    CHECK(found == 1);
    CHECK_STATUS(zavo_init_range_from_indexes(range, HMONTH, 600, 600), HSUCC);
    CHECK_STATUS(zavo_get_precisions(dbkey, missing, range, &value), HNOOBJ);
    text = last_error();
    CHECK(strstr(text, "NO_SUCH_SERIES") != NULL);
    free(text);
    qzvcldb(&status, dbkey);
    CHECK_STATUS(status, HSUCC);
}

static void dates(void) {
    int date = 0, outlen = 0;
    char literal[] = "2020M07";
    char out[16], tiny[4];
    start_phase("date literals");
    CHECK_STATUS(zavo_literal_to_date(HMONTH, &date, literal, HDEC, HFYFST, 0), HSUCC);
    CHECK(date == (2020 - 1970) * 12 + 6);
    CHECK_STATUS(zavo_date_to_literal(HMONTH, date, out, HDEC, HFYFST, 15, &outlen), HSUCC);
    CHECK(strcmp(out, "2020M07") == 0 && outlen == 7);
    /* A buffer too small gets a cut text and HTRUNC, never more than inlen. */
    memset(tiny, 'x', sizeof tiny);
    CHECK_STATUS(zavo_date_to_literal(HMONTH, date, tiny, HDEC, HFYFST, 3, &outlen), HTRUNC);
    CHECK(tiny[3] == '\0' && strlen(tiny) == 3);
}

int main(int argc, char** argv) {
    int status = -1;
    if (argc != 2) {
        fprintf(stderr, "usage: %s DATABASE-FILE\n", argv[0]);
        return 2;
    }
    remove(argv[1]);
    start_phase("session");
    qzvini(&status);
    CHECK_STATUS(status, HSUCC);
    qzvini(&status);
    CHECK_STATUS(status, HINITD);

    create_and_post(argv[1]);
    read_back(argv[1]);
    search_and_fail(argv[1]);
    dates();

    start_phase("end");
    qzvfin(&status);
    CHECK_STATUS(status, HSUCC);
    qzvcldb(&status, 1);
    CHECK_STATUS(status, HNINIT);
    remove(argv[1]);
    fprintf(stderr, "PASS\n");
    return 0;
}
