/* Technical-analysis functions with the TA-Lib C interface: the subset the
 * chart's indicators call, computed the way TA-Lib computes them.
 *
 * Every function checks its arguments, raises startIdx to its look-back and
 * writes the values for input indexes outBegIdx .. outBegIdx + outNBElement - 1
 * to out[0] .. out[outNBElement - 1]. Output arrays must hold at least
 * endIdx - startIdx + 1 values and must not overlap the inputs. */
#pragma once

#include <limits.h>

#ifdef __cplusplus
extern "C" {
#endif

#define TA_INTEGER_DEFAULT (INT_MIN)
#define TA_REAL_DEFAULT (-4e+37)

typedef enum
{
    TA_SUCCESS = 0,
    TA_LIB_NOT_INITIALIZE = 1,
    TA_BAD_PARAM = 2,
    TA_ALLOC_ERR = 3,
    TA_OUT_OF_RANGE_START_INDEX = 12,
    TA_OUT_OF_RANGE_END_INDEX = 13,
    TA_NOT_SUPPORTED = 16
} TA_RetCode;

/* Only SMA and EMA are computed; the other kinds give TA_NOT_SUPPORTED.
 * In C++ the type is int-sized so that TA_INTEGER_DEFAULT is a valid value. */
#ifdef __cplusplus
enum TA_MAType : int
#else
enum TA_MAType
#endif
{
    TA_MAType_SMA = 0,
    TA_MAType_EMA = 1,
    TA_MAType_WMA = 2,
    TA_MAType_DEMA = 3,
    TA_MAType_TEMA = 4,
    TA_MAType_TRIMA = 5,
    TA_MAType_KAMA = 6,
    TA_MAType_MAMA = 7,
    TA_MAType_T3 = 8
};
#ifndef __cplusplus
typedef enum TA_MAType TA_MAType;
#endif

TA_RetCode TA_Initialize(void);
TA_RetCode TA_Shutdown(void);

/* Look-back functions return -1 when a parameter is out of range. */

int TA_ADX_Lookback(int optInTimePeriod);
TA_RetCode TA_ADX(int startIdx, int endIdx, const double inHigh[], const double inLow[], const double inClose[],
                  int optInTimePeriod, int* outBegIdx, int* outNBElement, double outReal[]);

int TA_AROON_Lookback(int optInTimePeriod);
TA_RetCode TA_AROON(int startIdx, int endIdx, const double inHigh[], const double inLow[], int optInTimePeriod,
                    int* outBegIdx, int* outNBElement, double outAroonDown[], double outAroonUp[]);

int TA_ATR_Lookback(int optInTimePeriod);
TA_RetCode TA_ATR(int startIdx, int endIdx, const double inHigh[], const double inLow[], const double inClose[],
                  int optInTimePeriod, int* outBegIdx, int* outNBElement, double outReal[]);

int TA_BBANDS_Lookback(int optInTimePeriod, double optInNbDevUp, double optInNbDevDn, TA_MAType optInMAType);
TA_RetCode TA_BBANDS(int startIdx, int endIdx, const double inReal[], int optInTimePeriod, double optInNbDevUp,
                     double optInNbDevDn, TA_MAType optInMAType, int* outBegIdx, int* outNBElement,
                     double outRealUpperBand[], double outRealMiddleBand[], double outRealLowerBand[]);

int TA_CCI_Lookback(int optInTimePeriod);
TA_RetCode TA_CCI(int startIdx, int endIdx, const double inHigh[], const double inLow[], const double inClose[],
                  int optInTimePeriod, int* outBegIdx, int* outNBElement, double outReal[]);

int TA_DEMA_Lookback(int optInTimePeriod);
TA_RetCode TA_DEMA(int startIdx, int endIdx, const double inReal[], int optInTimePeriod, int* outBegIdx,
                   int* outNBElement, double outReal[]);

int TA_DX_Lookback(int optInTimePeriod);
TA_RetCode TA_DX(int startIdx, int endIdx, const double inHigh[], const double inLow[], const double inClose[],
                 int optInTimePeriod, int* outBegIdx, int* outNBElement, double outReal[]);

int TA_KAMA_Lookback(int optInTimePeriod);
TA_RetCode TA_KAMA(int startIdx, int endIdx, const double inReal[], int optInTimePeriod, int* outBegIdx,
                   int* outNBElement, double outReal[]);

int TA_MA_Lookback(int optInTimePeriod, TA_MAType optInMAType);
TA_RetCode TA_MA(int startIdx, int endIdx, const double inReal[], int optInTimePeriod, TA_MAType optInMAType,
                 int* outBegIdx, int* outNBElement, double outReal[]);

int TA_MACDFIX_Lookback(int optInSignalPeriod);
TA_RetCode TA_MACDFIX(int startIdx, int endIdx, const double inReal[], int optInSignalPeriod, int* outBegIdx,
                      int* outNBElement, double outMACD[], double outMACDSignal[], double outMACDHist[]);

int TA_MFI_Lookback(int optInTimePeriod);
TA_RetCode TA_MFI(int startIdx, int endIdx, const double inHigh[], const double inLow[], const double inClose[],
                  const double inVolume[], int optInTimePeriod, int* outBegIdx, int* outNBElement, double outReal[]);

int TA_MINUS_DI_Lookback(int optInTimePeriod);
TA_RetCode TA_MINUS_DI(int startIdx, int endIdx, const double inHigh[], const double inLow[], const double inClose[],
                       int optInTimePeriod, int* outBegIdx, int* outNBElement, double outReal[]);

int TA_MOM_Lookback(int optInTimePeriod);
TA_RetCode TA_MOM(int startIdx, int endIdx, const double inReal[], int optInTimePeriod, int* outBegIdx,
                  int* outNBElement, double outReal[]);

int TA_PLUS_DI_Lookback(int optInTimePeriod);
TA_RetCode TA_PLUS_DI(int startIdx, int endIdx, const double inHigh[], const double inLow[], const double inClose[],
                      int optInTimePeriod, int* outBegIdx, int* outNBElement, double outReal[]);

int TA_ROC_Lookback(int optInTimePeriod);
TA_RetCode TA_ROC(int startIdx, int endIdx, const double inReal[], int optInTimePeriod, int* outBegIdx,
                  int* outNBElement, double outReal[]);

int TA_RSI_Lookback(int optInTimePeriod);
TA_RetCode TA_RSI(int startIdx, int endIdx, const double inReal[], int optInTimePeriod, int* outBegIdx,
                  int* outNBElement, double outReal[]);

int TA_SAR_Lookback(double optInAcceleration, double optInMaximum);
TA_RetCode TA_SAR(int startIdx, int endIdx, const double inHigh[], const double inLow[], double optInAcceleration,
                  double optInMaximum, int* outBegIdx, int* outNBElement, double outReal[]);

int TA_STDDEV_Lookback(int optInTimePeriod, double optInNbDev);
TA_RetCode TA_STDDEV(int startIdx, int endIdx, const double inReal[], int optInTimePeriod, double optInNbDev,
                     int* outBegIdx, int* outNBElement, double outReal[]);

int TA_STOCH_Lookback(int optInFastK_Period, int optInSlowK_Period, TA_MAType optInSlowK_MAType, int optInSlowD_Period,
                      TA_MAType optInSlowD_MAType);
TA_RetCode TA_STOCH(int startIdx, int endIdx, const double inHigh[], const double inLow[], const double inClose[],
                    int optInFastK_Period, int optInSlowK_Period, TA_MAType optInSlowK_MAType, int optInSlowD_Period,
                    TA_MAType optInSlowD_MAType, int* outBegIdx, int* outNBElement, double outSlowK[],
                    double outSlowD[]);

int TA_STOCHF_Lookback(int optInFastK_Period, int optInFastD_Period, TA_MAType optInFastD_MAType);
TA_RetCode TA_STOCHF(int startIdx, int endIdx, const double inHigh[], const double inLow[], const double inClose[],
                     int optInFastK_Period, int optInFastD_Period, TA_MAType optInFastD_MAType, int* outBegIdx,
                     int* outNBElement, double outFastK[], double outFastD[]);

int TA_WILLR_Lookback(int optInTimePeriod);
TA_RetCode TA_WILLR(int startIdx, int endIdx, const double inHigh[], const double inLow[], const double inClose[],
                    int optInTimePeriod, int* outBegIdx, int* outNBElement, double outReal[]);

#ifdef __cplusplus
}
#endif
