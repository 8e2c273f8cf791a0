// Oracle's functions for the PostgreSQL engine, as SQL and PL/pgSQL
// functions in the central schema HORSYSTEM, under the names the dialect
// layer writes. They follow db/oracle.cpp exactly: dates are texts
// "yyyy.mm.dd" with " hh24:mi:ss" only when the time is not midnight, numbers
// turn into Oracle's default number text, an empty result is NULL, and errors
// carry Oracle's number at the start of their message ("ORA-01861: ...").
//
// Arguments that Oracle converts to text take any type (anycompatible); a
// number among them becomes its Oracle text through lug_text.
#include <string>
#include <vector>

#include "db/pg_link.h"

namespace lug::db {
namespace {

const char* const kFunctions[] = {
    // --- values as Oracle writes them ---------------------------------------------
    R"(CREATE OR REPLACE FUNCTION horsystem.lug_number_text(v double precision) RETURNS text
LANGUAGE plpgsql IMMUTABLE STRICT AS $$
DECLARE
  e integer;
  s text;
BEGIN
  IF v = 0 OR v = 'NaN' OR v IN ('Infinity', '-Infinity') THEN
    RETURN '0';
  END IF;
  IF abs(v) < 9.2e18 AND v = trunc(v) THEN
    RETURN v::bigint::text;
  END IF;
  e := floor(log(abs(v)));
  IF e >= 40 OR e < -40 THEN
    RETURN upper(btrim(to_char(v, '9.99999999999999EEEE')));
  END IF;
  -- 15 significant digits, without trailing zeros and without a leading 0.
  s := round(v::numeric, greatest(0, 14 - e))::text;
  IF position('.' IN s) > 0 THEN
    s := rtrim(rtrim(s, '0'), '.');
  END IF;
  IF s LIKE '0.%' THEN
    RETURN substr(s, 2);
  ELSIF s LIKE '-0.%' THEN
    RETURN '-' || substr(s, 3);
  END IF;
  RETURN s;
END $$)",

    R"(CREATE OR REPLACE FUNCTION horsystem.lug_is_number(v anycompatible) RETURNS boolean
LANGUAGE sql IMMUTABLE AS $$
SELECT pg_typeof(v) IN ('smallint'::regtype, 'integer'::regtype, 'bigint'::regtype,
                       'double precision'::regtype, 'real'::regtype, 'numeric'::regtype) $$)",

    R"(CREATE OR REPLACE FUNCTION horsystem.lug_text(v anycompatible) RETURNS text
LANGUAGE sql IMMUTABLE AS $$
SELECT CASE
  WHEN pg_typeof(v) IN ('smallint'::regtype, 'integer'::regtype, 'bigint'::regtype) THEN v::text
  WHEN horsystem.lug_is_number(v) THEN horsystem.lug_number_text(v::text::double precision)
  ELSE nullif(v::text, '') END $$)",

    R"(CREATE OR REPLACE FUNCTION horsystem.lug_text(v text) RETURNS text
LANGUAGE sql IMMUTABLE AS $$ SELECT nullif(v, '') $$)",

    // --- dates ---------------------------------------------------------------------
    R"(CREATE OR REPLACE FUNCTION horsystem.lug_days_in_month(y integer, m integer) RETURNS integer
LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT CASE
  WHEN m = 2 THEN CASE WHEN (y % 4 = 0 AND y % 100 <> 0) OR y % 400 = 0 THEN 29 ELSE 28 END
  WHEN m IN (4, 6, 9, 11) THEN 30
  ELSE 31 END $$)",

    R"(CREATE OR REPLACE FUNCTION horsystem.lug_make_date(y integer, mo integer, d integer,
    h integer, mi integer, s integer) RETURNS timestamp
LANGUAGE plpgsql IMMUTABLE STRICT AS $$
BEGIN
  IF y < 1 OR y > 9999 THEN
    RAISE EXCEPTION 'ORA-01841: year out of range';
  ELSIF mo < 1 OR mo > 12 THEN
    RAISE EXCEPTION 'ORA-01843: not a valid month';
  ELSIF d < 1 OR d > horsystem.lug_days_in_month(y, mo) THEN
    RAISE EXCEPTION 'ORA-01847: day of month must be between 1 and last day of month';
  ELSIF h > 23 THEN
    RAISE EXCEPTION 'ORA-01850: hour must be between 0 and 23';
  ELSIF mi > 59 THEN
    RAISE EXCEPTION 'ORA-01851: minutes must be between 0 and 59';
  ELSIF s > 59 THEN
    RAISE EXCEPTION 'ORA-01852: seconds must be between 0 and 59';
  END IF;
  RETURN make_timestamp(y, mo, d, h, mi, s);
END $$)",

    R"(CREATE OR REPLACE FUNCTION horsystem.lug_checked(ts timestamp) RETURNS timestamp
LANGUAGE plpgsql IMMUTABLE STRICT AS $$
BEGIN
  IF ts < '0001-01-01' OR ts >= '10000-01-01' THEN
    RAISE EXCEPTION 'ORA-01841: year out of range';
  END IF;
  RETURN ts;
END $$)",

    R"(CREATE OR REPLACE FUNCTION horsystem.lug_canonical(ts timestamp) RETURNS text
LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT to_char(ts, 'YYYY.MM.DD')
       || CASE WHEN ts::time = '00:00:00' THEN '' ELSE to_char(ts, ' HH24:MI:SS') END $$)",

    // The elements of a date format the program's statements use; every
    // other character is a literal, written as '=' and the character.
    R"(CREATE OR REPLACE FUNCTION horsystem.lug_format_items(f text) RETURNS text[]
LANGUAGE plpgsql IMMUTABLE STRICT AS $$
DECLARE
  items text[] := '{}';
  i integer := 1;
  p text;
  e text;
BEGIN
  WHILE i <= char_length(f) LOOP
    p := lower(substr(f, i, 4));
    e := CASE WHEN p IN ('yyyy', 'hh24') THEN p
              WHEN left(p, 2) IN ('yy', 'mm', 'dd', 'mi', 'ss') THEN left(p, 2) END;
    items := items || coalesce(e, '=' || substr(f, i, 1));
    i := i + coalesce(char_length(e), 1);
  END LOOP;
  RETURN items;
END $$)",

    R"(CREATE OR REPLACE FUNCTION horsystem.lug_format_date(ts timestamp, f text) RETURNS text
LANGUAGE plpgsql IMMUTABLE STRICT AS $$
DECLARE
  result text := '';
  it text;
BEGIN
  FOREACH it IN ARRAY horsystem.lug_format_items(f) LOOP
    result := result || CASE it
      WHEN 'yyyy' THEN lpad(extract(year FROM ts)::integer::text, 4, '0')
      WHEN 'yy' THEN lpad((extract(year FROM ts)::integer % 100)::text, 2, '0')
      WHEN 'mm' THEN to_char(ts, 'MM')
      WHEN 'dd' THEN to_char(ts, 'DD')
      WHEN 'hh24' THEN to_char(ts, 'HH24')
      WHEN 'mi' THEN to_char(ts, 'MI')
      WHEN 'ss' THEN to_char(ts, 'SS')
      ELSE substr(it, 2) END;
  END LOOP;
  RETURN result;
END $$)",

    // TO_DATE: numbers of up to 4 (year) or 2 digits; any punctuation in the
    // text stands for a literal of the format.
    R"(CREATE OR REPLACE FUNCTION horsystem.lug_to_ts(t text, f text) RETURNS timestamp
LANGUAGE plpgsql IMMUTABLE STRICT AS $$
DECLARE
  part integer[] := ARRAY[0, 1, 1, 0, 0, 0];
  have_year boolean := false;
  pos integer := 1;
  it text;
  digits text;
  k integer;
BEGIN
  FOREACH it IN ARRAY horsystem.lug_format_items(f) LOOP
    IF left(it, 1) = '=' THEN
      IF substr(t, pos, 1) !~ '^[^A-Za-z0-9]$' THEN
        RAISE EXCEPTION 'ORA-01861: literal does not match format string';
      END IF;
      pos := pos + 1;
      CONTINUE;
    END IF;
    digits := substring(substr(t, pos, CASE WHEN it = 'yyyy' THEN 4 ELSE 2 END) FROM '^[0-9]+');
    IF digits IS NULL THEN
      RAISE EXCEPTION 'ORA-01861: literal does not match format string';
    END IF;
    pos := pos + char_length(digits);
    k := array_position(ARRAY['yyyy', 'mm', 'dd', 'hh24', 'mi', 'ss'],
                        CASE WHEN it = 'yy' THEN 'yyyy' ELSE it END);
    part[k] := digits::integer + CASE WHEN it = 'yy' THEN 2000 ELSE 0 END;
    have_year := have_year OR k = 1;
  END LOOP;
  IF pos <> char_length(t) + 1 OR NOT have_year THEN
    RAISE EXCEPTION 'ORA-01861: literal does not match format string';
  END IF;
  RETURN horsystem.lug_make_date(part[1], part[2], part[3], part[4], part[5], part[6]);
END $$)",

    // A valid day as stored (yyyy.mm.dd) is made directly; every other text
    // goes through lug_to_ts, which knows the errors. The arms are tried in
    // order, so no number is read from a text that is not a day.
    R"(CREATE OR REPLACE FUNCTION horsystem.lug_parse_date(t text) RETURNS timestamp
LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT CASE
  WHEN t !~ '^[0-9]{4}\.(0[1-9]|1[0-2])\.(0[1-9]|[12][0-9]|3[01])$' OR left(t, 4) = '0000'
    THEN horsystem.lug_to_ts(rtrim(t, ' '), CASE WHEN char_length(rtrim(t, ' ')) > 10
      THEN 'yyyy.mm.dd hh24:mi:ss' ELSE 'yyyy.mm.dd' END)
  WHEN substr(t, 9, 2)::integer
       > horsystem.lug_days_in_month(left(t, 4)::integer, substr(t, 6, 2)::integer)
    THEN horsystem.lug_to_ts(t, 'yyyy.mm.dd')
  ELSE make_timestamp(left(t, 4)::integer, substr(t, 6, 2)::integer, substr(t, 9, 2)::integer,
                      0, 0, 0) END $$)",

    // The database clock: LUG_SYSDATE of the client when it set one, else the
    // server's clock at the start of the statement.
    R"(CREATE OR REPLACE FUNCTION horsystem.lug_sysdate() RETURNS text
LANGUAGE sql STABLE AS $$
SELECT coalesce(nullif(current_setting('lug.sysdate', true), ''),
  horsystem.lug_canonical(date_trunc('second', statement_timestamp()::timestamp))) $$)",

    R"(CREATE OR REPLACE FUNCTION horsystem.lug_to_char(x anycompatible) RETURNS text
LANGUAGE sql IMMUTABLE AS $$ SELECT horsystem.lug_text(x) $$)",

    R"(CREATE OR REPLACE FUNCTION horsystem.lug_to_char(x anycompatible, f text) RETURNS text
LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT CASE
  WHEN f = '' THEN NULL
  WHEN horsystem.lug_is_number(x) THEN horsystem.lug_text(x)
  WHEN horsystem.lug_text(x) ~ '^[0-9]{4}\.[0-9]{2}\.[0-9]{2}( [0-9]{2}:[0-9]{2}:[0-9]{2})?$'
    THEN nullif(horsystem.lug_format_date(horsystem.lug_parse_date(x::text), f), '')
  ELSE horsystem.lug_text(x) END $$)",

    R"(CREATE OR REPLACE FUNCTION horsystem.lug_to_date(x anycompatible) RETURNS text
LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT horsystem.lug_canonical(horsystem.lug_parse_date(horsystem.lug_text(x))) $$)",

    R"(CREATE OR REPLACE FUNCTION horsystem.lug_to_date(x anycompatible, f text) RETURNS text
LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT horsystem.lug_canonical(horsystem.lug_to_ts(horsystem.lug_text(x), nullif(f, ''))) $$)",

    // ADD_MONTHS: the last day of a month stays the last day of the month.
    R"(CREATE OR REPLACE FUNCTION horsystem.lug_add_months(d text, n double precision) RETURNS text
LANGUAGE plpgsql IMMUTABLE STRICT AS $$
DECLARE
  ts timestamp := horsystem.lug_parse_date(d);
  y integer := extract(year FROM ts);
  mo integer := extract(month FROM ts);
  dd integer := extract(day FROM ts);
  idx bigint := y::bigint * 12 + (mo - 1) + trunc(n)::bigint;
  ny bigint := floor(idx / 12.0);
  nm integer := idx - ny * 12 + 1;
  last integer := horsystem.lug_days_in_month(ny::integer, nm);
BEGIN
  IF ny < 1 OR ny > 9999 THEN
    RAISE EXCEPTION 'ORA-01841: year out of range';
  END IF;
  IF dd = horsystem.lug_days_in_month(y, mo) OR dd > last THEN
    dd := last;
  END IF;
  RETURN horsystem.lug_canonical(horsystem.lug_make_date(ny::integer, nm, dd, 0, 0, 0) + ts::time);
END $$)",

    // Days as seconds, rounded half away from zero like llround.
    R"(CREATE OR REPLACE FUNCTION horsystem.lug_add_days(d text, n double precision) RETURNS text
LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT horsystem.lug_canonical(horsystem.lug_checked(horsystem.lug_parse_date(d)
  + make_interval(secs => CASE WHEN abs(n * 86400 - trunc(n * 86400)) >= 0.5
                               THEN trunc(n * 86400) + sign(n) ELSE trunc(n * 86400) END))) $$)",

    R"(CREATE OR REPLACE FUNCTION horsystem.lug_days_between(a text, b text) RETURNS double precision
LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT extract(epoch FROM horsystem.lug_parse_date(a) - horsystem.lug_parse_date(b))::double precision
       / 86400::double precision $$)",

    R"(CREATE OR REPLACE FUNCTION horsystem.lug_last_day(d text) RETURNS text
LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT horsystem.lug_canonical(date_trunc('month', ts) + interval '1 month' - interval '1 day'
                               + ts::time)
FROM horsystem.lug_parse_date(d) AS ts $$)",

    // --- texts ---------------------------------------------------------------------
    R"(CREATE OR REPLACE FUNCTION horsystem.lug_trim(x anycompatible) RETURNS text
LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT nullif(btrim(horsystem.lug_text(x), ' '), '') $$)",

    // The same for a text, in a form the planner writes into the statement:
    // the general forms above run the SQL executor once per call (trim of an
    // employment row's five columns took 30 times as long).
    R"(CREATE OR REPLACE FUNCTION horsystem.lug_trim(x text) RETURNS text
LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT nullif(btrim(x, ' '), '') $$)",

    R"(CREATE OR REPLACE FUNCTION horsystem.lug_ltrim(x anycompatible, s text) RETURNS text
LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT CASE WHEN s = '' THEN NULL ELSE nullif(ltrim(horsystem.lug_text(x), s), '') END $$)",

    R"(CREATE OR REPLACE FUNCTION horsystem.lug_rtrim(x anycompatible, s text) RETURNS text
LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT CASE WHEN s = '' THEN NULL ELSE nullif(rtrim(horsystem.lug_text(x), s), '') END $$)",

    R"(CREATE OR REPLACE FUNCTION horsystem.lug_ltrim(x anycompatible) RETURNS text
LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT horsystem.lug_ltrim(x, ' ') $$)",

    R"(CREATE OR REPLACE FUNCTION horsystem.lug_rtrim(x anycompatible) RETURNS text
LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT horsystem.lug_rtrim(x, ' ') $$)",

    // LPAD and RPAD cut a longer text to the width, like Oracle.
    R"(CREATE OR REPLACE FUNCTION horsystem.lug_lpad(x anycompatible, w double precision, p text)
RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT CASE WHEN trunc(w) <= 0 OR p = '' THEN NULL
            ELSE nullif(lpad(horsystem.lug_text(x), trunc(w)::integer, p), '') END $$)",

    R"(CREATE OR REPLACE FUNCTION horsystem.lug_rpad(x anycompatible, w double precision, p text)
RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$
SELECT CASE WHEN trunc(w) <= 0 OR p = '' THEN NULL
            ELSE nullif(rpad(horsystem.lug_text(x), trunc(w)::integer, p), '') END $$)",

    R"(CREATE OR REPLACE FUNCTION horsystem.lug_lpad(x anycompatible, w double precision)
RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT horsystem.lug_lpad(x, w, ' ') $$)",

    R"(CREATE OR REPLACE FUNCTION horsystem.lug_rpad(x anycompatible, w double precision)
RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT horsystem.lug_rpad(x, w, ' ') $$)",

    R"(CREATE OR REPLACE FUNCTION horsystem.lug_substr(x anycompatible, p double precision,
    l double precision) RETURNS text
LANGUAGE plpgsql IMMUTABLE STRICT AS $$
DECLARE
  s text := horsystem.lug_text(x);
  n integer := char_length(s);
  pos bigint := trunc(p);
  len bigint := trunc(l);
BEGIN
  IF pos = 0 THEN
    pos := 1;
  ELSIF pos < 0 THEN
    pos := n + pos + 1;
  END IF;
  IF pos < 1 OR pos > n OR len < 1 THEN
    RETURN NULL;
  END IF;
  RETURN nullif(substr(s, pos::integer, least(len, n)::integer), '');
END $$)",

    R"(CREATE OR REPLACE FUNCTION horsystem.lug_substr(x anycompatible, p double precision)
RETURNS text LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT horsystem.lug_substr(x, p, 1e9) $$)",

    R"(CREATE OR REPLACE FUNCTION horsystem.lug_to_number(x anycompatible) RETURNS double precision
LANGUAGE plpgsql IMMUTABLE STRICT AS $$
DECLARE
  t text := horsystem.lug_text(x);
BEGIN
  IF t IS NULL THEN
    RETURN NULL;
  END IF;
  t := btrim(t, ' ');
  IF t !~ '^[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?$' THEN
    RAISE EXCEPTION 'ORA-01722: invalid number';
  END IF;
  RETURN t::double precision;
END $$)",

    // ROUND to whole units with halves away from zero, as Oracle rounds
    // (round of a double precision would round halves to even).
    R"(CREATE OR REPLACE FUNCTION horsystem.lug_round(x double precision) RETURNS double precision
LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT round(x::numeric)::double precision $$)",
};

// Oracle's ||: NULL counts as the empty text, an empty result is NULL. One
// function per pair of argument kinds, as PostgreSQL has no implicit number
// to text conversion.
std::vector<std::string> concatFunctions() {
  std::vector<std::string> out;
  for (const char* a : {"text", "double precision"})
    for (const char* b : {"text", "double precision"})
      out.push_back(std::string("CREATE OR REPLACE FUNCTION horsystem.lug_concat(a ") + a + ", b " +
                    b +
                    ") RETURNS text LANGUAGE sql IMMUTABLE AS $$ SELECT nullif("
                    "coalesce(horsystem.lug_text(a), '') || coalesce(horsystem.lug_text(b), ''),"
                    " '') $$");
  return out;
}

}  // namespace

const std::vector<std::string>& pgFunctionDefinitions() {
  static const std::vector<std::string> all = [] {
    std::vector<std::string> v(std::begin(kFunctions), std::end(kFunctions));
    for (std::string& f : concatFunctions()) v.push_back(std::move(f));
    return v;
  }();
  return all;
}

}  // namespace lug::db
