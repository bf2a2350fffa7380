/*
 * crqx.h: the C client interface of the ZAVO time-series database.
 *
 * Conventions:
 *  (1) Classic functions (prefix qzv) return nothing; their first parameter
 *      is an int * through which they store a status code. Extended
 *      functions (prefix zavo_) return the status code. HSUCC (0) is success.
 *  (2) Every integer is a 32-bit signed int, date indexes included; reals are
 *      float (32-bit) or double (64-bit) as each prototype says.
 *  (3) Every buffer and array is owned by the caller, who allocates it before
 *      the call and releases it afterwards; the library writes into it and
 *      never past its end, and never hands memory to the caller.
 *  (4) A text buffer is NUL-terminated. An output text is written within the
 *      buffer the caller supplies: when a length argument accompanies it, at
 *      most that many bytes plus the terminator; otherwise at most the length
 *      of the text the caller put there. A result that does not fit is cut
 *      and reported with HTRUNC.
 *  (5) A range is an array of CRQX_RANGE_SIZE ints: frequency, first index,
 *      last index. A missing-value translation table has
 *      CRQX_MISSING_TABLE_SIZE entries: the values standing for NC, ND, NA.
 *  (6) The typed families of the classic interface share one library
 *      function each (qzvrrng_f, qzvwrng_f, qzvrdfa_f, qzvwrmt_f, qzvgtatt_f,
 *      qzvsatt_f); their value arguments are untyped (void *) and the caller
 *      chooses the element type.
 *  (7) Threads: the library keeps one session per process, and its state
 *      (open databases, keys, searches, the last error) is guarded by no
 *      lock. Call it from one thread at a time: several threads may use it
 *      only when the caller serialises every call (the Python module does:
 *      it holds the interpreter lock for the whole of each call). A call
 *      that waits for another process's lock on a database waits at most the
 *      BUSY_TIMEOUT option, and the calling thread is blocked that long.
 *      A child process made by fork() must not use the parent's session;
 *      it starts its own after the parent's session has ended, or exec()s.
 */
#ifndef CRQX_H
#define CRQX_H

#if defined(_WIN32)
#  if defined(CRQX_BUILDING_LIBRARY)
#    define CRQX_API __declspec(dllexport)
#  else
#    define CRQX_API __declspec(dllimport)
#  endif
#elif defined(__GNUC__)
#  define CRQX_API __attribute__((visibility("default")))
#else
#  define CRQX_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Ints in a range array: frequency, first index, last index. */
#define CRQX_RANGE_SIZE 3
/* Entries in a missing-value translation table: NC, ND, NA. */
#define CRQX_MISSING_TABLE_SIZE 3
/* Positions within those arrays. */
#define CRQX_RANGE_FREQ 0
#define CRQX_RANGE_FIRST 1
#define CRQX_RANGE_LAST 2
#define CRQX_MISSING_NC 0
#define CRQX_MISSING_ND 1
#define CRQX_MISSING_NA 2

/* Missing-value codes of each value kind (NC, ND, NA), exported as data.
   Compare values read from a series with these, or test them with the
   qzvis*m functions. */
CRQX_API extern int ZAVO_INDEX_ND;
CRQX_API extern int ZAVO_INDEX_NC;
CRQX_API extern int ZAVO_INDEX_NA;
CRQX_API extern int FDATND;
CRQX_API extern int FDATNC;
CRQX_API extern int FDATNA;
CRQX_API extern int FBOOND;
CRQX_API extern int FBOONC;
CRQX_API extern int FBOONA;
CRQX_API extern float FNUMND;
CRQX_API extern float FNUMNC;
CRQX_API extern float FNUMNA;
CRQX_API extern double FPRCND;
CRQX_API extern double FPRCNC;
CRQX_API extern double FPRCNA;
CRQX_API extern char FSTRND[];
CRQX_API extern char FSTRNC[];
CRQX_API extern char FSTRNA[];

/* ---- Session: start, end, version, errors, options ---------------------- */

/* Starts the library session; every other call needs one. */
CRQX_API void qzvini(int *status);
/* Ends the session, closing every database, connection and search still open. */
CRQX_API void qzvfin(int *status);
/* Stores the library's version number in *ver. */
CRQX_API void qzvver(int *status, float *ver);
/* Writes the text of the last error into errtxt. */
CRQX_API void qzvferr(int *status, char *errtxt);
/* Stores the length of the last error's text in *len. */
CRQX_API void qzvlerr(int *status, int *len);
/* Sets the session option named optnam to the value optval. */
CRQX_API void qzvsopt(int *status, char *optnam, char *optval);
/* Sets post-on-close: when flag is nonzero, closing a database posts its changes first. */
CRQX_API void qzvspos(int *status, int flag);

/* ---- Databases: open, close, post, restore, pack, describe -------------- */

/* Opens database dbname in access mode mode and stores its key in *dbkey. */
CRQX_API void qzvopdb(int *status, int *dbkey, char *dbname, int mode);
/* Opens database dbname in mode mode through connection connkey; stores its key in *dbkey. */
CRQX_API void qzvopdc(int *status, int *dbkey, char *dbname, int mode, int connkey);
/* Opens the remote database served as svname and stores its key in *dbkey. */
CRQX_API void qzvopre(int *status, int *dbkey, char *svname);
/* Opens the remote database of connection connkey and stores its key in *dbkey. */
CRQX_API void qzvoprc(int *status, int *dbkey, int connkey);
/* Opens a new private work database and stores its key in *dbkey. */
CRQX_API void qzvopwk(int *status, int *dbkey);
/* Closes database dbkey; its key becomes invalid. */
CRQX_API void qzvcldb(int *status, int dbkey);
/* Posts database dbkey: makes its changes durable. */
CRQX_API void qzvpodb(int *status, int dbkey);
/* Restores database dbkey: discards its changes since the last post. */
CRQX_API void qzvrsdb(int *status, int dbkey);
/* Compacts the file of database dbkey. */
CRQX_API void qzvpack(int *status, int dbkey);
/* Stores dbkey's creation and modification dates; writes its description and documentation. */
CRQX_API void qzvgdba(
    int *status, int dbkey, int *cyear, int *cmonth, int *cday, int *myear, int *mmonth, int *mday,
    char *desc, char *doc);
/* Stores dbkey's creation and modification dates as date indexes of frequency freq. */
CRQX_API void qzvgdbd(int *status, int dbkey, int freq, int *cdate, int *mdate);
/* Sets the description of database dbkey to des. */
CRQX_API void qzvddes(int *status, int dbkey, char *des);
/* Sets the documentation of database dbkey to doc. */
CRQX_API void qzvddoc(int *status, int dbkey, char *doc);
/* Stores the lengths of dbkey's description and documentation. */
CRQX_API void qzvglen(int *status, int dbkey, int *deslen, int *doclen);
/* Sets the dimension of database dbkey to dimen. */
CRQX_API void qzvset_dimension(int *status, int dbkey, int dimen);
/* Stores the dimension of database dbkey in *dimen. */
CRQX_API void qzvget_dimension(int *status, int dbkey, int *dimen);
/* Sets the extra-dots setting of database dbkey to xdots. */
CRQX_API void qzvset_extradots(int *status, int dbkey, int xdots);
/* Stores the extra-dots setting of database dbkey in *xdots. */
CRQX_API void qzvget_extradots(int *status, int dbkey, int *xdots);
/* Stores the format version of database dbkey in *dbversion. */
CRQX_API int zavo_get_dbversion(int dbkey, int *dbversion);
/* Stores dbkey's creation and modification times as date indexes. */
CRQX_API int zavo_get_db_dates(int dbkey, int *cdate, int *mdate);

/* ---- Connections and transactions --------------------------------------- */

/* Opens a connection to service on hostname as username/password; stores its key in *connkey. */
CRQX_API void qzvopcn(
    int *status, int *connkey, char *service, char *hostname, char *username, char *password);
/* Closes connection connkey. */
CRQX_API void qzvclcn(int *status, int connkey);
/* Commits the work done through connection connkey. */
CRQX_API void qzvcmmt(int *status, int connkey);
/* Aborts the uncommitted work of connection connkey. */
CRQX_API void qzvabrt(int *status, int connkey);
/* Stores in *connkey the key of the connection that database dbkey was opened through. */
CRQX_API void qzvgcid(int *status, int dbkey, int *connkey);
/* Makes assertion (kind assert_type, perspective, grouping) on connection connkey for *dblist. */
CRQX_API void qzvasrt(
    int *status, int connkey, int assert_type, char *assertion, int perspective, int grouping,
    int *dblist);

/* ---- Commands and server input ------------------------------------------ */

/* Executes the command text cmd. */
CRQX_API void qzvzavo(int *status, char *cmd);
/* Passes cmd to the command server as its next input. */
CRQX_API void qzvsinp(int *status, char *cmd);
/* Executes command against database dbkey; its result becomes objnam in database wdbkey. */
CRQX_API int zavo_remexec(int dbkey, char *command, int wdbkey, char *objnam);
/* Writes pending server input into buffer (buffer_size bytes in all); length in *input_size. */
CRQX_API int zavo_get_server_input(char *buffer, int buffer_size, int *input_size);

/* ---- Objects: create, allocate, copy, rename, delete, set properties ---- */

/* Creates object objnam with the given class, frequency, type, basis and observed codes. */
CRQX_API void qzvnwob(
    int *status, int dbkey, char *objnam, int class_, int freq, int type, int basis, int observ);
/* As qzvnwob, preallocating numobs observations of numchr characters (growth factor growth). */
CRQX_API void qzvalob(
    int *status, int dbkey, char *objnam, int class_, int freq, int type, int basis, int observ,
    int numobs, int numchr, float growth);
/* Copies object srcnam of database srckey to object tarnam of database tarkey. */
CRQX_API void qzvcpob(int *status, int srckey, int tarkey, char *srcnam, char *tarnam);
/* Deletes object objnam. */
CRQX_API void qzvdlob(int *status, int dbkey, char *objnam);
/* Renames object srcnam to tarnam. */
CRQX_API void qzvrnob(int *status, int dbkey, char *srcnam, char *tarnam);
/* Sets the basis code of objnam. */
CRQX_API void qzvsbas(int *status, int dbkey, char *objnam, int basis);
/* Sets the observed code of objnam. */
CRQX_API void qzvsobs(int *status, int dbkey, char *objnam, int observ);
/* Sets the description of objnam to desc. */
CRQX_API void qzvsdes(int *status, int dbkey, char *objnam, char *desc);
/* Sets the documentation of objnam to doc. */
CRQX_API void qzvsdoc(int *status, int dbkey, char *objnam, char *doc);

/* ---- Object inquiry ----------------------------------------------------- */

/* Stores objnam's codes, first/last year/period and dates; writes its description and doc. */
CRQX_API void qzvwhat(
    int *status, int dbkey, char *objnam, int *class_, int *type, int *freq, int *basis,
    int *observ, int *fyear, int *fprd, int *lyear, int *lprd, int *cyear, int *cmonth, int *cday,
    int *myear, int *mmonth, int *mday, char *desc, char *doc);
/* Stores objnam's class, type, frequency and first and last year/period. */
CRQX_API void qzvosiz(
    int *status, int dbkey, char *objnam, int *class_, int *type, int *freq, int *fyear, int *fprd,
    int *lyear, int *lprd);
/* Stores the lengths of objnam's description and documentation. */
CRQX_API void qzvdlen(int *status, int dbkey, char *objnam, int *deslen, int *doclen);
/* Stores objnam's creation and modification dates as date indexes of frequency freq. */
CRQX_API void qzvgdat(int *status, int dbkey, char *objnam, int freq, int *cdate, int *mdate);
/* Writes into basnam the real name of the object that objnam (a name or an alias) designates. */
CRQX_API void qzvgnam(int *status, int dbkey, char *objnam, char *basnam);
/* Stores oname's codes, first/last index and dates; writes desc and doc with their lengths. */
CRQX_API int zavo_info(
    int dbkey, char *oname, int *oclass, int *type, int *freq, int *findex, int *lindex,
    int *basis, int *observ, int *cdate, int *mdate, char *desc, int indesclen, int *outdesclen,
    char *doc, int indoclen, int *outdoclen);
/* Stores oname's class, type, frequency and first and last index. */
CRQX_API int zavo_quick_info(
    int dbkey, char *oname, int *oclass, int *type, int *freq, int *findex, int *lindex);
/* Writes the real name behind objname into basename (inlen bytes at most); length in *outlen. */
CRQX_API int zavo_get_real_name(int dbkey, char *objname, char *basename, int inlen, int *outlen);
/* Writes the name of type code type into type_spec (inlen bytes at most); length in *outlen. */
CRQX_API int zavo_type_to_string(int type, char *type_spec, int inlen, int *outlen);
/* Stores in *dimnum the dimension number of the dimension letter dimchar. */
CRQX_API int zavo_dimnum(int *dimnum, char dimchar);
/* Writes the letter of dimension number dimnum into dimchar. */
CRQX_API int zavo_dimchar(char *dimchar, int dimnum);

/* ---- Wildcard search ---------------------------------------------------- */

/* Starts the search of database dbkey for the names matching pattern wilnam. */
CRQX_API void qzvinwc(int *status, int dbkey, char *wilnam);
/* Writes dbkey's next match into objnam with its class, type and frequency, until none is left. */
CRQX_API void qzvnxwc(int *status, int dbkey, char *objnam, int *class_, int *type, int *freq);
/* Starts a search of dbkey for names matching wildname (wildonly, wildstart); key in *wildkey. */
CRQX_API int zavo_init_wildcard(
    int dbkey, int *wildkey, char *wildname, int wildonly, char *wildstart);
/* Writes search wildkey's next match into objname with its codes, first/last index, length. */
CRQX_API int zavo_get_next_wildcard(
    int wildkey, char *objname, int *obj_class, int *type, int *freq, int *start, int *end,
    int inlen, int *outlen);
/* Ends search wildkey and releases it. */
CRQX_API int zavo_free_wildcard(int wildkey);

/* ---- Aliases and associations ------------------------------------------- */

/* Sets the aliases of objnam to the alias text aliass. */
CRQX_API void qzvsali(int *status, int dbkey, char *objnam, char *aliass);
/* Writes objnam's alias text into aliass (at most inlen bytes) and its length into *outlen. */
CRQX_API void qzvgtali(int *status, int dbkey, char *objnam, char *aliass, int inlen, int *outlen);
/* Stores the length of objnam's alias text in *alilen. */
CRQX_API void qzvlali(int *status, int dbkey, char *objnam, int *alilen);
/* Sets the associations of objnam to the association text assoc. */
CRQX_API void qzvsaso(int *status, int dbkey, char *objnam, char *assoc);
/* Writes objnam's association text into assoc (at most inlen bytes) and its length into *outlen. */
CRQX_API void qzvgtaso(int *status, int dbkey, char *objnam, char *assoc, int inlen, int *outlen);
/* Stores the length of objnam's association text in *asolen. */
CRQX_API void qzvlaso(int *status, int dbkey, char *objnam, int *asolen);

/* ---- Namelists ---------------------------------------------------------- */

/* Writes element index of namelist objnam into strval (inlen bytes at most); length in *outlen. */
CRQX_API void qzvgtnl(
    int *status, int dbkey, char *objnam, int index, char *strval, int inlen, int *outlen);
/* Sets element index of namelist objnam to strval. */
CRQX_API void qzvwtnl(int *status, int dbkey, char *objnam, int index, char *strval);
/* Stores the length of element index of namelist objnam in *length. */
CRQX_API void qzvnlen(int *status, int dbkey, char *objnam, int index, int *length);
/* Stores the number of elements of namelist objnam in *length. */
CRQX_API void qzvncnt(int *status, int dbkey, char *objnam, int *length);

/* ---- Formulas and expressions ------------------------------------------- */

/* Writes the source of formula objnam into source (ilen bytes at most); length in *olen. */
CRQX_API void qzvrdfm(int *status, int dbkey, char *objnam, char *source, int ilen, int *olen);
/* Creates formula oname with source text value. */
CRQX_API int zavo_create_formula(int dbkey, char *oname, char *value);
/* Creates global formula oname with source text value. */
CRQX_API int zavo_create_global_formula(int dbkey, char *oname, char *value);
/* Replaces the source text of formula oname by value. */
CRQX_API int zavo_modify_formula(int dbkey, char *oname, char *value);
/* Evaluates expression expr over dbkey with options optns into object objnam of database wdbkey. */
CRQX_API void qzvrmev(int *status, int dbkey, char *expr, char *optns, int wdbkey, char *objnam);

/* ---- Ranges (range arrays of CRQX_RANGE_SIZE ints) ---------------------- */

/* Fills range for freq from year/period syear/sprd to eyear/eprd; its count in *numobs. */
CRQX_API void qzvsrng(
    int *status, int freq, int *syear, int *sprd, int *eyear, int *eprd, int *range, int *numobs);
/* As qzvsrng, counting in fiscal years that end in month fmonth and are labelled by flabel. */
CRQX_API void qzvsfis(
    int *status, int freq, int *syear, int *sprd, int *eyear, int *eprd, int *range, int *numobs,
    int fmonth, int flabel);
/* Fills range for frequency freq from index start to index end. */
CRQX_API int zavo_init_range_from_indexes(int *range, int freq, int start, int end);
/* Fills range for frequency freq with numobs observations from index start. */
CRQX_API int zavo_init_range_from_start_numobs(int *range, int freq, int start, int numobs);
/* Fills range for frequency freq with numobs observations ending at index end. */
CRQX_API int zavo_init_range_from_end_numobs(int *range, int freq, int end, int numobs);
/* Stores the number of observations of range in *numobs. */
CRQX_API int zavo_get_range_numobs(int *range, int *numobs);

/* ---- Numeric range reads and writes (arrays of int, float, double) ------ */

/* Reads objnam over range into valary; missing values translated by tmiss and table mistt. */
CRQX_API void qzvrrng_f(
    int *status, int dbkey, char *objnam, int *range, void *valary, int tmiss, void *mistt);
/* Writes valary into objnam over range; missing values translated by tmiss and table mistt. */
CRQX_API void qzvwrng_f(
    int *status, int dbkey, char *objnam, int *range, void *valary, int tmiss, void *mistt);

/* ---- Strings and string series ------------------------------------------ */

/* Writes objnam's string at range into strval (inlen bytes at most); its missing code, length. */
CRQX_API void qzvgtstr(
    int *status, int dbkey, char *objnam, int *range, char *strval, int *ismiss, int inlen,
    int *outlen);
/* Writes string strval (length bytes, missing code ismiss) into objnam at range. */
CRQX_API void qzvwstr(
    int *status, int dbkey, char *objnam, int *range, char *strval, int ismiss, int length);
/* Reads objnam's strings over range into strary (inlenary[i] bytes each), misary, outlenary. */
CRQX_API void qzvgtsts(
    int *status, int dbkey, char *objnam, int *range, char **strary, int *misary, int *inlenary,
    int *outlenary);
/* Writes strings strary, missing codes misary and lengths lenary into objnam over range. */
CRQX_API void qzvwsts(
    int *status, int dbkey, char *objnam, int *range, char **strary, int *misary, int *lenary);
/* Stores the length of each of objnam's strings over range in lenary. */
CRQX_API void qzvlsts(int *status, int dbkey, char *objnam, int *range, int *lenary);
/* Sets the string length of objnam to length. */
CRQX_API void qzvssln(int *status, int dbkey, char *objnam, int length);
/* Stores the string length of objnam in *length. */
CRQX_API void qzvgsln(int *status, int dbkey, char *objnam, int *length);

/* ---- Missing values: translation tables and tests ----------------------- */

/* Fills numeric translation table nmistt: NC, ND, NA become nctran, ndtran, natran. */
CRQX_API void qzvsnm(int *status, float nctran, float ndtran, float natran, float *nmistt);
/* Fills precision translation table pmistt: NC, ND, NA become nctran, ndtran, natran. */
CRQX_API void qzvspm(int *status, double nctran, double ndtran, double natran, double *pmistt);
/* Fills boolean translation table bmistt: NC, ND, NA become nctran, ndtran, natran. */
CRQX_API void qzvsbm(int *status, int nctran, int ndtran, int natran, int *bmistt);
/* Fills date translation table dmistt: NC, ND, NA become nctran, ndtran, natran. */
CRQX_API void qzvsdm(int *status, int nctran, int ndtran, int natran, int *dmistt);
/* Stores in *ismiss which missing code, if any, the numeric value is. */
CRQX_API void qzvisnm(int *status, float value, int *ismiss);
/* Stores in *ismiss which missing code, if any, the precision value is. */
CRQX_API void qzvispm(int *status, double value, int *ismiss);
/* Stores in *ismiss which missing code, if any, the boolean value is. */
CRQX_API void qzvisbm(int *status, int value, int *ismiss);
/* Stores in *ismiss which missing code, if any, the date value is. */
CRQX_API void qzvisdm(int *status, int value, int *ismiss);
/* Stores in *ismiss which missing code, if any, the string value is. */
CRQX_API void qzvissm(int *status, char *value, int *ismiss);

/* ---- Typed reads and writes --------------------------------------------- */

/* Reads numeric objnam over range into valary. */
CRQX_API int zavo_get_numerics(int dbkey, char *objnam, int *range, float *valary);
/* Reads precision objnam over range into valary. */
CRQX_API int zavo_get_precisions(int dbkey, char *objnam, int *range, double *valary);
/* Reads boolean objnam over range into valary. */
CRQX_API int zavo_get_booleans(int dbkey, char *objnam, int *range, int *valary);
/* Reads date objnam over range into valary. */
CRQX_API int zavo_get_dates(int dbkey, char *objnam, int *range, int *valary);
/* Reads string objnam over range into strary (inlenary[i] bytes each); lengths in outlenary. */
CRQX_API int zavo_get_strings(
    int dbkey, char *objnam, int *range, char **strary, int *inlenary, int *outlenary);
/* Writes valary into numeric objnam over range. */
CRQX_API int zavo_write_numerics(int dbkey, char *objnam, int *range, float *valary);
/* Writes valary into precision objnam over range. */
CRQX_API int zavo_write_precisions(int dbkey, char *objnam, int *range, double *valary);
/* Writes valary into boolean objnam over range. */
CRQX_API int zavo_write_booleans(int dbkey, char *objnam, int *range, int *valary);
/* Writes the dates valary, of value type value_type, into date objnam over range. */
CRQX_API int zavo_write_dates(int dbkey, char *objnam, int *range, int value_type, int *valary);
/* Writes the strings strary into string objnam over range. */
CRQX_API int zavo_write_strings(int dbkey, char *objnam, int *range, char **strary);
/* Stores the length of each of objnam's strings over range in lenary. */
CRQX_API int zavo_len_strings(int dbkey, char *objnam, int *range, int *lenary);

/* ---- Year-period reads, typed writes (arrays of int, float, double) ----- */

/* Reads up to wntobs values of objnam from year/period syear/sprd into valary; count in *gotobs. */
CRQX_API void qzvrdfa_f(
    int *status, int dbkey, char *objnam, int wntobs, int *syear, int *sprd, int *gotobs,
    void *valary, int tmiss, void *mistt);
/* Writes valary, whose values are of object type objtyp, into objnam over range. */
CRQX_API void qzvwrmt_f(
    int *status, int dbkey, char *objnam, int objtyp, int *range, void *valary, int tmiss,
    void *mistt);

/* ---- Attributes by type code (value: int, float, double or text) -------- */

/* Reads attribute attnam of objnam into value (inlen bytes at most); stores its type and length. */
CRQX_API void qzvgtatt_f(
    int *status, int dbkey, char *objnam, int *atttyp, char *attnam, void *value, int inlen,
    int *outlen);
/* Sets attribute attnam of objnam, of type code atttyp, to the value at value. */
CRQX_API void qzvsatt_f(
    int *status, int dbkey, char *objnam, int atttyp, char *attnam, void *value);
/* Stores the length of attribute attnam (type code atttyp) of objnam in *attlen. */
CRQX_API void qzvlatt(int *status, int dbkey, char *objnam, int atttyp, char *attnam, int *attlen);

/* ---- Typed attribute access --------------------------------------------- */

/* Stores boolean attribute attnam of objnam in *value. */
CRQX_API int zavo_get_boolean_attribute(int dbkey, char *objnam, char *attnam, int *value);
/* Stores date attribute attnam of objnam in *value and its frequency in *freq. */
CRQX_API int zavo_get_date_attribute(int dbkey, char *objnam, char *attnam, int *value, int *freq);
/* Writes namelist attribute attnam into value (inlen bytes at most); length in *outlen. */
CRQX_API int zavo_get_namelist_attribute(
    int dbkey, char *objnam, char *attnam, char *value, int inlen, int *outlen);
/* Stores numeric attribute attnam of objnam in *value. */
CRQX_API int zavo_get_numeric_attribute(int dbkey, char *objnam, char *attnam, float *value);
/* Stores precision attribute attnam of objnam in *value. */
CRQX_API int zavo_get_precision_attribute(int dbkey, char *objnam, char *attnam, double *value);
/* Writes string attribute attnam into value (inlen bytes at most); length in *outlen. */
CRQX_API int zavo_get_string_attribute(
    int dbkey, char *objnam, char *attnam, char *value, int inlen, int *outlen);
/* Sets boolean attribute attnam of objnam to value. */
CRQX_API int zavo_set_boolean_attribute(int dbkey, char *objnam, char *attnam, int value);
/* Sets date attribute attnam of objnam to date value of frequency freq. */
CRQX_API int zavo_set_date_attribute(int dbkey, char *objnam, char *attnam, int value, int freq);
/* Sets namelist attribute attnam of objnam to the namelist text value. */
CRQX_API int zavo_set_namelist_attribute(int dbkey, char *objnam, char *attnam, char *value);
/* Sets numeric attribute attnam of objnam to value. */
CRQX_API int zavo_set_numeric_attribute(int dbkey, char *objnam, char *attnam, float value);
/* Sets precision attribute attnam of objnam to value. */
CRQX_API int zavo_set_precision_attribute(int dbkey, char *objnam, char *attnam, double value);
/* Sets string attribute attnam of objnam to value. */
CRQX_API int zavo_set_string_attribute(int dbkey, char *objnam, char *attnam, char *value);

/* ---- Date conversions --------------------------------------------------- */

/* Stores the year, month and day of date index date of frequency freq. */
CRQX_API void qzvdatd(int *status, int freq, int date, int *year, int *month, int *day);
/* Stores in *date the index of frequency freq that holds year/month/day. */
CRQX_API void qzvddat(int *status, int freq, int *date, int year, int month, int day);
/* Stores the year and period of date index date of frequency freq. */
CRQX_API void qzvdatp(int *status, int freq, int date, int *year, int *period);
/* Stores in *date the index of frequency freq for year and period. */
CRQX_API void qzvpdat(int *status, int freq, int *date, int year, int period);
/* Stores the fiscal year and period of date (years ending in fmonth, labelled by flabel). */
CRQX_API void qzvdatf(
    int *status, int freq, int date, int *year, int *period, int fmonth, int flabel);
/* Stores in *date the index of fiscal year/period (years ending in fmonth, labelled by flabel). */
CRQX_API void qzvfdat(
    int *status, int freq, int *date, int year, int period, int fmonth, int flabel);
/* Stores the time of day of date and, in *ddate, its daily date index. */
CRQX_API void qzvdatt(
    int *status, int freq, int date, int *hour, int *minute, int *second, int *ddate);
/* Stores in *date the index of frequency freq for time hour:minute:second of daily index ddate. */
CRQX_API void qzvtdat(
    int *status, int freq, int *date, int hour, int minute, int second, int ddate);
/* Writes the text of date into datstr. */
CRQX_API void qzvdatl(int *status, int freq, int date, char *datstr, int fmonth, int flabel);
/* Stores in *date the date that the text datstr names (two-digit years in century centry). */
CRQX_API void qzvldat(
    int *status, int freq, int *date, char *datstr, int fmonth, int flabel, int centry);
/* Writes date into datstr as laid out by the picture string image. */
CRQX_API void qzvdati(
    int *status, int freq, int date, char *datstr, char *image, int fmonth, int flabel);
/* Stores in *date the date that datstr gives as laid out by the picture string image. */
CRQX_API void qzvidat(
    int *status, int freq, int *date, char *datstr, char *image, int fmonth, int flabel,
    int centry);
/* Stores today's date index of frequency freq in *date. */
CRQX_API void qzvtody(int *status, int freq, int *date);
/* Stores in *leap whether year is a leap year (HYES or HNO). */
CRQX_API void qzvislp(int *status, int year, int *leap);

/* ---- Frequencies and calendars ------------------------------------------ */

/* Stores in *freq the frequency built from base, nunits, year and month. */
CRQX_API void qzvpfrq(int *status, int *freq, int base, int nunits, int year, int month);
/* Stores the base, unit count, year and month that frequency freq is built from. */
CRQX_API void qzvufrq(int *status, int freq, int *base, int *nunits, int *year, int *month);
/* Stores in *flag whether frequency freq1 divides evenly into freq2. */
CRQX_API void qzvfdiv(int *status, int freq1, int freq2, int *flag);
/* Stores in *tdate the date of tfreq for date sdate of sfreq, by rules select and relate. */
CRQX_API void qzvchfr(
    int *status, int sfreq, int sdate, int select, int tfreq, int *tdate, int relate);
/* Stores the weekday of date in *wkdy. */
CRQX_API void qzvwkdy(int *status, int freq, int date, int *wkdy);
/* Stores the day of the two-week cycle of date in *biwkdy. */
CRQX_API void qzvbwdy(int *status, int freq, int date, int *biwkdy);
/* Stores in *count the number of periods of frequency freq in one day. */
CRQX_API void qzvpind(int *status, int freq, int *count);
/* Stores in *count the number of periods of frequency freq in year/month. */
CRQX_API void qzvpinm(int *status, int freq, int year, int month, int *count);
/* Stores in *count the number of periods of frequency freq in year. */
CRQX_API void qzvpiny(int *status, int freq, int year, int *count);

/* ---- Index and time conversions ----------------------------------------- */

/* Stores in *date the index of frequency freq for year and period. */
CRQX_API int zavo_year_period_to_index(int freq, int *date, int year, int period);
/* Stores the year and period of index date of frequency freq. */
CRQX_API int zavo_index_to_year_period(int freq, int date, int *year, int *period);
/* Stores the year, month and day of index date of frequency freq. */
CRQX_API int zavo_index_to_day(int freq, int date, int *year, int *month, int *day);
/* Stores in *date the index of frequency freq for year/month/day, placed by relate. */
CRQX_API int zavo_day_to_index(int freq, int *date, int year, int month, int day, int relate);
/* Stores the calendar date and time of day, to the millisecond, of index date. */
CRQX_API int zavo_index_to_time(
    int freq, int date, int *year, int *month, int *day, int *hour, int *minute, int *second,
    int *millisecond);
/* Stores in *date the index of frequency freq for the given date and time, placed by relate. */
CRQX_API int zavo_time_to_index(
    int freq, int *date, int year, int month, int day, int hour, int minute, int second,
    int millisecond, int relate);
/* Converts the plain int *indexes32 to index form in *indexes64 (numobs is 1). */
CRQX_API int zavo_int_to_index(int *indexes32, int *indexes64, int numobs);
/* Stores in indexes32ary the plain ints of the numobs indexes indexes64ary. */
CRQX_API int zavo_index_to_int(int *indexes64ary, int *indexes32ary, int numobs);
/* Stores the current time as an index of frequency freq in *date. */
CRQX_API int zavo_current_time(int freq, int *date);
/* Stores in *missing_type which missing code, if any, index date is. */
CRQX_API int zavo_date_missing_type(int date, int *missing_type);
/* Stores the weekday of index date in *weekday. */
CRQX_API int zavo_weekday(int freq, int date, int *weekday);
/* Stores the day of the two-week cycle of index date in *biweekday. */
CRQX_API int zavo_biweekday(int freq, int date, int *biweekday);
/* Stores in *to_date the index of to_freq for from_date of from_freq, by select and relate. */
CRQX_API int zavo_dateof(
    int from_freq, int from_date, int select, int to_freq, int *to_date, int relate);
/* Stores in *freq the frequency that the text frequency_spec describes. */
CRQX_API int zavo_parse_frequency(int *freq, char *frequency_spec);
/* Stores the base frequency of frequency freq in *base_freq. */
CRQX_API int zavo_get_base_frequency(int *base_freq, int freq);

/* ---- Date literals and formatting --------------------------------------- */

/* Stores in *date the date that the literal text literal names. */
CRQX_API int zavo_literal_to_date(
    int freq, int *date, char *literal, int end_month, int label_year, int century);
/* Stores in *date the date that string gives as laid out by the picture string image. */
CRQX_API int zavo_scan_date(
    int freq, int *date, char *string, char *image, int end_month, int label_year, int century);
/* Writes the literal of date into literal (inlen bytes at most); length in *outlen. */
CRQX_API int zavo_date_to_literal(
    int freq, int date, char *literal, int end_month, int label_year, int inlen, int *outlen);
/* Writes date into string as laid out by image (inlen bytes at most); length in *outlen. */
CRQX_API int zavo_format_date(
    int freq, int date, char *string, char *image, int end_month, int label_year, int inlen,
    int *outlen);

#ifdef __cplusplus
}
#endif

#endif /* CRQX_H */
