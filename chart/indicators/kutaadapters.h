#pragma once

#include <QVector>

// Each adapter runs one TA function over the whole of its inputs (the chart
// core's value vectors, oldest candle first) and returns one of its outputs
// newest first: index 0 is the newest candle, and the result is shorter than
// the inputs by the function's look-back. Inputs of different lengths are
// read up to the shortest. A period below 2 counts as 2. A null or empty
// input, too few candles or a failed call give an empty result.
using kuTaInput = const QVector<double>*;

QVector<double> taAdx(kuTaInput high, kuTaInput low, kuTaInput close, int period);
QVector<double> taAroonUp(kuTaInput high, kuTaInput low, int period);
QVector<double> taAroonDown(kuTaInput high, kuTaInput low, int period);
QVector<double> taAtr(kuTaInput high, kuTaInput low, kuTaInput close, int period);
// Bands of `deviation` standard deviations around the simple average.
QVector<double> taBbandsUpper(kuTaInput series, int period, double deviation);
QVector<double> taBbandsMiddle(kuTaInput series, int period, double deviation);
QVector<double> taBbandsLower(kuTaInput series, int period, double deviation);
QVector<double> taCci(kuTaInput high, kuTaInput low, kuTaInput close, int period);
QVector<double> taDema(kuTaInput series, int period);
QVector<double> taDx(kuTaInput high, kuTaInput low, kuTaInput close, int period);
QVector<double> taEma(kuTaInput series, int period);
QVector<double> taKama(kuTaInput series, int period);
// MACD with the fixed 12/26 averages; `period` is the signal line's.
QVector<double> taMacdSignal(kuTaInput series, int period);
QVector<double> taMacdHist(kuTaInput series, int period);
QVector<double> taMfi(kuTaInput high, kuTaInput low, kuTaInput close, kuTaInput volume, int period);
QVector<double> taMinusDi(kuTaInput high, kuTaInput low, kuTaInput close, int period);
QVector<double> taMom(kuTaInput series, int period);
QVector<double> taPlusDi(kuTaInput high, kuTaInput low, kuTaInput close, int period);
QVector<double> taSar(kuTaInput high, kuTaInput low, double step, double maximum);
QVector<double> taRoc(kuTaInput series, int period);
QVector<double> taRsi(kuTaInput series, int period);
// The deviation multiplied by the period (the period is TA's number of deviations).
QVector<double> taStddev(kuTaInput series, int period);
// The deviation times the given factor (1: the plain standard deviation).
QVector<double> taStddev(kuTaInput series, int period, double deviations);
QVector<double> taSma(kuTaInput series, int period);

// The adapters below replace values beyond their bounds by 0; the bounds themselves pass.
// MACD line; |v| > 100000 gives 0.
QVector<double> taMacd(kuTaInput series, int period);
// Slow stochastic with `slow` as both smoothing periods (passed on as given); |v| > 10000 gives 0.
QVector<double> taStochSlowK(kuTaInput high, kuTaInput low, kuTaInput close, int period, int slow);
QVector<double> taStochSlowD(kuTaInput high, kuTaInput low, kuTaInput close, int period, int slow);
// Fast stochastic, `slow` being %D's period; |v| > 10000 gives 0.
QVector<double> taStochFastK(kuTaInput high, kuTaInput low, kuTaInput close, int period, int slow);
QVector<double> taStochFastD(kuTaInput high, kuTaInput low, kuTaInput close, int period, int slow);
// Williams' %R; values above 0 or below -100 give 0.
QVector<double> taWillr(kuTaInput high, kuTaInput low, kuTaInput close, int period);
