#include "driver/run.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "base/ascii_case.h"
#include "base/cp1252.h"
#include "base/interface_row.h"
#include "base/own_file.h"
#include "base/run_exit.h"
#include "base/run_statements.h"
#include "config/suite_login.h"
#include "db/shared_ops.h"

namespace lug::driver {

using base::crlf;
using base::RunExit;
using base::RunLog;
using base::toWindows1252;
namespace {

namespace fs = std::filesystem;

constexpr char kVersion[] = "5.80";
constexpr size_t kServiceWidth = 41, kSchemaWidth = 40, kAkrWidth = 5;
constexpr int kInterimLimit = 999;
constexpr int kRecalcSlots = 12;

constexpr char kGroupFlags[] =
    "select AkrSsl ,AkrAzr into :b0:b1,:b2:b3  from O1001AbrKreis where AkrNum=:b4";
constexpr char kInterfaceKey[] =
    "select LugLug into :b0:b1  from Hor171Lug where LugLug=(select AkrLug  from O1001AbrKreis "
    "where AkrNum=:b2)";
constexpr char kFollowOffsets[] =
    "select distinct Lu1Flg  from Hor171Lu1 where (Lu1Num=:b0 and Lu1Flg>0) order by Lu1Flg";
constexpr char kEarlierPeriods[] =
    "select AbrAkr ,AbrNum  from Hor330Abr where ((AbrAkr=:b0 and AbrVon<(select AbrVon  from "
    "Hor330Abr where (AbrAkr=:b0 and AbrNum=:b2))) and AbrSts<>8) order by AbrVon desc";
constexpr char kRunNumbers[] =
    "select  coalesce (min(Zk1Lfn),(-1)) , coalesce (max(Zk1Lfn),0) into :b0,:b1  from Hor331Zk1 "
    "where (Zk1Abr=:b2 and Zk1Lfn<1000)";
constexpr char kCopyDelete[] = "delete  from Hor331Zk4  where ZK4STZ<>'ZR*E'";
constexpr char kCopyInsert[] = "insert into Hor331Zk4  select *  from Hor331Zk3 where Zk3Stz='ZR'";

constexpr char kReadmeText[] =
    "\nDie aktuelle LuG-Übergabedateien finden Sie im Ordner : \n\n     "
    "\"..\\Transfer\\Lohn und Gehalt\" \n \nund dort in dem Ihrem Schema (Firma) zugeordneten "
    "Unterverzeichnis !!!";

std::string cutAtBlank(const std::string& s) {
  return s.substr(0, s.find(' '));
}

// The transfer directory of earlier versions, where README.TXT points users on.
fs::path formerTransferDir() {
  return fs::path("..") / "Transfer" / "Lohn- und Gehaltsübergabe";
}

// An accounting period of a group: the run's own, or one it recalculates.
struct Period {
  std::string akr;
  int32_t abrnr = 0;
};

// A directory level that exists already counts as created.
bool makeLevel(const fs::path& p) {
  return ::mkdir(p.c_str(), 0777) == 0 || errno == EEXIST;
}

class Run {
 public:
  Run(const std::vector<std::string>& args, RunEnvironment& env)
      : args_(args), env_(env), log_(runLogPath(env)) {}

  int execute() {
    log_.writef("\n\nProtokollierung gestartet, V%s", kVersion);
    if (args_.size() < 5) {
      const int count = static_cast<int>(args_.size()) + 1;
      env_.console << "Fehler, Anzahl Parameter: " << count;
      log_.writef("Fehler beim Aufruf, Anzahl Parameter: %d", count);
      return 0;
    }
    if (!takeArguments()) return 0;
    if (!connect()) return 0;
    RunContext ctx(*session_, log_);
    fillContext(ctx);
    int status = runPhases(ctx);
    if (env_.check) status = endCheckRun(ctx, status);
    env_.counters = session_->counters();
    return status;
  }

 private:
  // A check run logs into its own directory, never into the suite's log.
  static std::string runLogPath(const RunEnvironment& env) {
    return env.check ? checkRunLog(env.check->dir).string() : base::defaultRunLogPath();
  }

  bool takeArguments() {
    std::vector<std::string> a;
    for (const std::string& s : args_) a.push_back(cutAtBlank(s));
    service_ = a[0], schema_ = a[1], akr_ = a[2];
    abrnr_ = static_cast<int32_t>(std::strtoll(a[3].c_str(), nullptr, 10));
    interim_ = static_cast<int16_t>(std::atoi(a[4].c_str())) == 1 ? 1 : 0;
    if (service_.size() > kServiceWidth || schema_.size() > kSchemaWidth ||
        akr_.size() > kAkrWidth) {
      log_.writef("Fehler beim Aufruf, Parameter zu lang: %s %s %s",
                  db::maskedService(service_).c_str(), schema_.c_str(), akr_.c_str());
      return false;
    }
    if (a.size() > 5 && !a[5].empty()) {
      std::string f = base::upperAscii(a[5]);
      if (f.rfind("/P", 0) == 0 && f.size() >= 3 && f.size() <= 11) {
        filter_ = f.substr(2);
        log_.writef("     FILTER AUF PNR: %s GESETZT !!", filter_.c_str());
      }
    }
    return true;
  }

  bool connect() {
    db::ConnectRequest login = config::suiteLogin(service_);
    service_ = login.service;
    schema_ = base::upperAscii(schema_);
    int st = 0;
    // Two runs on one schema would interleave their writes into the shared
    // result, work and staging tables: the run lock is taken before the
    // connection waits for the database, so a second run ends at once.
    login.runLock = true;
    login.discardWork = env_.check.has_value();
    session_ = db::Session::connect(login, schema_, st);
    if (st == db::kRunLockHeld) {
      log_.writef("LuG-Uebergabe fuer Schema %s laeuft bereits, Aufruf beendet", schema_.c_str());
      return false;
    }
    if (!session_) {
      env_.console << "dbConnect_Status: " << st << "\n";
      log_.writef("dbConnect-Fehler: %d", st);
      // The password is never written to the log the suite shows on its web front end.
      log_.writef("Benutzer: %s,  Passwort: %s,  Net8: %s,  Schema: %s", login.user.c_str(),
                  "********", db::maskedService(service_).c_str(), schema_.c_str());
      return false;
    }
    st = db::setDateFormat(*session_);
    if (st != db::kOk) {
      env_.console << "Alter_Session_Status: " << st << "\n";
      log_.writef("AlterSession-Fehler: %d", st);
      return false;
    }
    return true;
  }

  void fillContext(RunContext& ctx) {
    ctx.akr = akr_, ctx.abrnr = abrnr_, ctx.schema = schema_, ctx.service = service_;
    ctx.interim = interim_, ctx.pnrFilter = filter_;
    ctx.checkRun = env_.check.has_value();
  }

  int runPhases(RunContext& ctx) {
    try {
      if (!prepare(ctx)) return 0;
      calculate(ctx);
      ctx.status = ctx.db.commit();
      if (ctx.status != db::kOk)
        ctx.fail(ctx.status, "Fehler beim Commit der Berechnung, Status: %d", ctx.status);
      dispatchExport(ctx, env_.dispatch);
      if (!ctx.checkRun) writeReadme();
      return finish(ctx);
    } catch (const RunExit& e) {
      if (e.abortCode != 0) env_.end = RunEnd::Aborted, env_.abortCode = e.abortCode;
      return e.status;
    }
  }

  // A check run ends with its report, made while the session still sees the
  // run's work, and then undoes everything the run wrote.
  int endCheckRun(RunContext& ctx, int status) {
    const CheckRun& check = *env_.check;
    if (env_.end == RunEnd::Completed && check.beforeRollback)
      check.beforeRollback(
          *session_,
          {.akr = ctx.akr, .abrnr = ctx.abrnr, .productsDir = check.dir, .runLog = log_.path()});
    const int st = session_->rollback();
    if (st == db::kOk) {
      ctx.log("Prüflauf: alle Änderungen der Datenbank zurückgenommen");
      return status;
    }
    ctx.log("Fehler beim Zurücknehmen des Prüflaufs, Status: %d", st);
    env_.end = RunEnd::Stopped;
    return 0;
  }

  // Steps up to the decision of the kind of run; false ends the run with status 0.
  bool prepare(RunContext& ctx) {
    int st = db::siteNumber(ctx.db, ctx.schema, ctx.site);
    if (st != db::kOk) ctx.log("Standortnummer kann nicht ermittelt werden! Error: %d", st);
    readGroupFlags(ctx);
    db::clockLong(ctx.db, ctx.startTime);
    ctx.log("LuG-Uebergabe Akr:%s, Schema:%s am %s gestartet", ctx.akr.c_str(), ctx.schema.c_str(),
            ctx.startTime.c_str());
    if (!createExportDir(ctx)) {
      ctx.log("Übergabeverzeichnis kann nicht erstellt werden!");
      return false;
    }
    readInterfaceAndPeriod(ctx);
    return decideKindOfRun(ctx);
  }

  void readGroupFlags(RunContext& ctx) {
    ctx.db.exec(kGroupFlags, {ctx.akr}, {ctx.akrSsl, ctx.akrAzr});
    if (ctx.akrSsl != 1) return;
    ctx.runLog.rotate();
    ctx.log("\n\nProtokollierung gestartet, V%s", kVersion);
    ctx.log("Schnittstelle leeren");
    if (!ctx.pnrFilter.empty())
      ctx.log("\n     FILTER AUF PNR: %s GESETZT !!\n", ctx.pnrFilter.c_str());
  }

  bool createExportDir(RunContext& ctx) {
    if (env_.check) {
      ctx.exportDir = env_.check->dir.string();
      return makeLevel(env_.check->dir);
    }
    fs::path p = fs::path("..") / "Transfer";
    for (const char* level : {"Lohn und Gehalt", "Export", ""}) {
      if (!makeLevel(p)) return false;
      p /= *level ? fs::path(level) : fs::path(ctx.schema);
    }
    if (!makeLevel(p)) return false;
    ctx.exportDir = p.string();
    return true;
  }

  void readInterfaceAndPeriod(RunContext& ctx) {
    int st = readInterfaceRow(ctx.db, ctx.akr, ctx.lug);
    if (st != db::kOk) {
      ctx.log("Hor171Lug-Lesenfehler: %d", st);
      ctx.log("Schnittstelle für diesen AbrKreis nicht gefunden!");
      ctx.abort(98);
    }
    ctx.topas = ctx.lug.lgp.substr(0, 5) == "TOPAS" ? 1 : 0;
    st = readPeriodDates(ctx, requested(ctx));
    if (st != db::kOk) {
      ctx.log("Fehler Lesen Hor330Abr (1): %d", st);
      ctx.abort(98);
    }
  }

  // The period the run was called for.
  static Period requested(const RunContext& ctx) { return {.akr = ctx.akr, .abrnr = ctx.abrnr}; }

  // Reads the first and last day of `period` into the run context, where the
  // period run takes the period it computes from.
  static int readPeriodDates(RunContext& ctx, const Period& period) {
    ctx.abrVon.clear(), ctx.abrBis.clear();
    return ctx.status =
               ctx.db.exec(kPeriodDates, {period.akr, period.abrnr}, {ctx.abrVon, ctx.abrBis});
  }

  bool decideKindOfRun(RunContext& ctx) {
    ctx.db.exec(kUnmask);
    int32_t lowest = -1, highest = 0;
    ctx.db.exec(kRunNumbers, {ctx.abrnr}, {lowest, highest});
    ctx.highestLfn = highest;
    if (ctx.interim == 1) {
      ctx.log("\n-- ZWISCHENABRECHNUNG !!!! --\n");
      if (lowest == 0) {
        ctx.log("Zwischenabrechnung nicht möglich, da Endabrechnung bereits gelaufen !!");
        return false;
      }
      if (highest >= kInterimLimit) {
        ctx.log("max. Anzahl Zwischenabrechnungen überschritten!!");
        return false;
      }
      ctx.lfn = static_cast<int16_t>(highest + 1);
    } else {
      ctx.log("\n-- ENDABRECHNUNG !!!! --\n");
      ctx.lfn = 0;
    }
    if (ctx.topas) applyTopasCutoff(ctx);
    return true;
  }

  // TOPAS interfaces run as a partial interim run up to yesterday while the
  // period is open, and as a final run once it is over.
  static void applyTopasCutoff(RunContext& ctx) {
    const std::string& t = ctx.startTime;  // dd.mm.yyyy hh24:mi:ss
    if (t.size() < 10) return;             // clock not read: the kind of run stands as decided
    std::string day = t.substr(0, 2);
    if (day != "01") {
      char buf[16];
      std::snprintf(buf, sizeof buf, "%02d", std::atoi(day.c_str()) - 1);
      day = buf;
    }
    const std::string cutoff = t.substr(6, 4) + "." + t.substr(3, 2) + "." + day;
    if (ctx.abrVon <= cutoff && cutoff < ctx.abrBis) {
      ctx.lfn = 2, ctx.abrBis = cutoff, ctx.interim = 1;
      ctx.log("-- Zwischenabrechnung !!!! --");
    } else if (cutoff > ctx.abrBis) {
      ctx.lfn = 0, ctx.interim = 0;
    }
  }

  void calculate(RunContext& ctx) {
    Phases& phases = env_.phases;
    phases.periodRun(ctx, ctx.akr, ctx.abrnr, 0, 0);
    if (ctx.highestLfn != 0 && ctx.topas == 0) phases.interimDifferences(ctx);
    if (ctx.interim == 0 && followMonths(ctx, requested(ctx), false)) rereadPeriod(ctx, 3);
    if (ctx.topas == 1 && ctx.interim == 1) return;
    recalculation(ctx);
  }

  void rereadPeriod(RunContext& ctx, int which) {
    int st = readPeriodDates(ctx, requested(ctx));
    if (st != db::kOk) ctx.fail(st, "Fehler Lesen Hor330Abr (%d): %d", which, st);
  }

  // Follow months of `of`: for each distinct offset n of the group's interface
  // lines the period n periods back is run again with follow flag 1, by the
  // period run or, for a recalculated period, by the recalculation. Returns
  // whether at least one was computed.
  bool followMonths(RunContext& ctx, const Period& of, bool recalc) {
    std::string key;
    if (ctx.db.exec(kInterfaceKey, {of.akr}, {key}) != db::kOk) return false;
    db::Cursor offsets(ctx.db, kFollowOffsets), earlier(ctx.db, kEarlierPeriods);
    offsets.open({key});
    earlier.open({of.akr, of.abrnr});
    int16_t done = 0;
    bool any = false;
    for (;;) {
      int16_t n = 0;
      int st = offsets.fetch({n});
      if (st != db::kOk || n <= done) {
        ctx.abortIfFatal(st);
        break;
      }
      std::string group;
      int32_t period = 0;
      for (int k = done; k < n && st == db::kOk; ++k) st = earlier.fetch({group, period});
      if (st != db::kOk) {
        ctx.abortIfFatal(st);
        break;
      }
      ctx.log(recalc ? "\n>>>>>Folgemonatsberechnung(RR) gestartet"
                     : "\n>>>>>Folgemonatsberechnung gestartet");
      done = n, any = true;
      if (recalc) {
        env_.phases.recalculate(ctx, group, period, n, 1);
        continue;
      }
      st = readPeriodDates(ctx, {.akr = of.akr, .abrnr = period});
      if (st != db::kOk) ctx.fail(st, "Fehler Lesen Hor330Abr (2): %d", st);
      env_.phases.periodRun(ctx, of.akr, period, n, 1);
    }
    earlier.close();
    offsets.close();
    return any;
  }

  void recalculation(RunContext& ctx) {
    int16_t depth = 0;
    ctx.db.exec(kRecalcDepth, {ctx.akr}, {depth});
    if (depth <= 0) return;
    const int limit = std::min<int>(depth, kRecalcSlots);  // the period list has 12 slots
    db::Cursor periods(ctx.db, kEarlierPeriods);
    periods.open({ctx.akr, ctx.abrnr});
    while (ctx.recalcCount < limit) {
      std::string group;
      int32_t period = 0;
      int st = periods.fetch({group, period});
      if (st != db::kOk) {
        ctx.fail(st, "Rueckrechnungs-Lesenstatus: %d", st);
        break;
      }
      ctx.recalcPeriods[static_cast<size_t>(ctx.recalcCount)] = period;
      env_.phases.recalculate(ctx, group, period, 0, 0);
      if (ctx.interim == 0 && followMonths(ctx, {.akr = group, .abrnr = period}, true))
        rereadPeriod(ctx, 4);
      ++ctx.recalcCount;
    }
    periods.close();
    if (ctx.lug.lgp == "LOGA") copyRecalcRecords(ctx);
    if (ctx.recalcCount > 0) env_.phases.differenceRecords(ctx);
  }

  static void copyRecalcRecords(RunContext& ctx) {
    ctx.db.exec(kCopyDelete);
    int st = ctx.db.exec(kCopyInsert);
    if (st != db::kOk) ctx.fail(st, "Fehler Koopieren Zk3: %d", st);
  }

  // A link planted in the file's place is not followed; the file is then not
  // written, like in a missing directory.
  static void writeReadme() {
    std::FILE* out =
        base::openOwnFile(formerTransferDir() / "README.TXT", O_WRONLY | O_CREAT | O_TRUNC, "wb");
    if (!out) return;
    const std::string text = toWindows1252(crlf(kReadmeText));
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
  }

  // The end line and the console line claim success only once the run status
  // is stored and the closing commit has made it and the run's work
  // permanent; a failure is logged with its status and the run ends with
  // status 0 (success is 1).
  int finish(RunContext& ctx) {
    std::string now;
    db::clockLong(ctx.db, now);
    int st = ctx.setRunStatus(98);
    if (st != db::kOk) ctx.log("Fehler beim Setzen des Laufstatus 98, Status: %d", st);
    const int committed = ctx.status = ctx.db.commit();
    if (committed != db::kOk) {
      ctx.log("Fehler beim abschliessenden Commit, Status: %d", committed);
      return 0;
    }
    if (st != db::kOk) return 0;
    ctx.log("LuG-Uebergabe Akr: %s, Abrnr: %ld am %s beendet", ctx.akr.c_str(),
            static_cast<long>(ctx.abrnr), now.c_str());
    env_.console << "\nLohn und Gehaltuebergabe fuer Akr: " << ctx.akr
                 << " und Abrnr: " << ctx.abrnr << " ist beendet";
    env_.end = RunEnd::Completed;
    return 1;
  }

  const std::vector<std::string>& args_;
  RunEnvironment& env_;
  RunLog log_;
  std::string service_, schema_, akr_, filter_;
  int32_t abrnr_ = 0;
  int16_t interim_ = 0;
  std::unique_ptr<db::Session> session_;
};

}  // namespace

// Named like the suite's run log, so that it reads the same.
fs::path checkRunLog(const fs::path& dir) {
  return dir / "log#lug.txt";
}

int runHandover(const std::vector<std::string>& args, RunEnvironment& env) {
  try {
    return Run(args, env).execute();
  } catch (const RunExit& e) {
    return e.status;  // log overflow before the session was open
  }
}

}  // namespace lug::driver
