#pragma once
// Statements that run control shares with the calculation phases. Being
// inline, each has one address in the program, so the session prepares it
// once per run wherever it is used.

namespace lug {

inline constexpr char kRecalcDepth[] =
    "select AkrRrm into :b0:b1  from O1001AbrKreis where AkrNum=:b2";
inline constexpr char kPeriodDates[] =
    "select AbrVon ,AbrBis into :b0:b1,:b2:b3  from Hor330Abr where (AbrAkr=:b4 and AbrNum=:b5)";
// Unmasking: every negative recalculation marker becomes positive again.
inline constexpr char kUnmask[] = "update Hor331Zk1  set Zk1Rre=(Zk1Rre* (-1)) where Zk1Rre<0";

}  // namespace lug
