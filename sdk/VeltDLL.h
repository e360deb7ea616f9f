/* The monitor maker's SDK: plain C functions with 32-bit integer or pointer arguments.
   Flags are unsigned char (0 = failure or false). Results the callers ignore are int.
   Modes: 0 Custom, 1 sRGB, 2 AdobeRGB, 3 Emulation, 4 Calibration. */
#ifndef VELTDLL_H
#define VELTDLL_H

#if defined(_WIN32)
#  define VELTDLL_API __declspec(dllimport)
#else
#  define VELTDLL_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

VELTDLL_API unsigned char CheckCompatibleSystem(void);
VELTDLL_API int GetMonitorType(void);          /* 0 Alder, 1 Birch, 2 Cedar, 3 not supported */
VELTDLL_API int SwitchDisplay(int display);
VELTDLL_API int ReadMode(void);
VELTDLL_API int ChangeMode(int mode);
VELTDLL_API int SDKDisplayCorrection(int mode); /* 0 = failed */

VELTDLL_API unsigned char SetBrightness(int value);        /* 0..100 */
VELTDLL_API unsigned char SetContrast(int value);          /* 0..100 */
VELTDLL_API unsigned char SetRedColor(int value);          /* 0..64 */
VELTDLL_API unsigned char SetGreenColor(int value);        /* 0..64 */
VELTDLL_API unsigned char SetBlueColor(int value);         /* 0..64 */
VELTDLL_API unsigned char SetGamma(int value);             /* 0..6 */
VELTDLL_API unsigned char SetSharpness(int value);         /* 0..12 */
VELTDLL_API unsigned char SetColorTemperature(int value);  /* 0..11 */
VELTDLL_API unsigned char Set_Hposition(int value);        /* 0..100 */
VELTDLL_API unsigned char Set_Vposition(int value);        /* 0..70 */
VELTDLL_API unsigned char Set_Coarse(int value);           /* 0..160 */
VELTDLL_API unsigned char Set_FineAdjustment(int value);   /* 0..31 */

VELTDLL_API unsigned char GetBrightness(void);
VELTDLL_API unsigned char GetContrast(void);
VELTDLL_API unsigned char GetRedColor(void);
VELTDLL_API unsigned char GetGreenColor(void);
VELTDLL_API unsigned char GetBlueColor(void);
VELTDLL_API unsigned char GetGamma(void);
VELTDLL_API unsigned char GetSharpness(void);
VELTDLL_API unsigned char GetColorTemperature(void);
VELTDLL_API unsigned char Get_Hposition(void);
VELTDLL_API unsigned char Get_Vposition(void);
VELTDLL_API unsigned char Get_Coarse(void);
VELTDLL_API unsigned char Get_FineAdjustment(void);

VELTDLL_API unsigned char ResetALL(void);
VELTDLL_API unsigned char Reset_Brit_Cont(void);
VELTDLL_API unsigned char Reset_Factory(void);
VELTDLL_API unsigned char ResetGeometry(void);
VELTDLL_API unsigned char AutoSetup(void);
VELTDLL_API unsigned char Power_SaveMode(int mode); /* 4 power save, 1 on */
VELTDLL_API unsigned char MonitorPower(int on);     /* 0 off, 1 on */

VELTDLL_API int Lock_OSD(void);
VELTDLL_API int Unlock_OSD(void);
VELTDLL_API int NotWriteAndBackPrevMode(void);
VELTDLL_API int Set_ColorTone(int temperature, int mode); /* temperature 0..11, mode 1..4 */
VELTDLL_API int Set_Calibration_Alert(int hours);         /* 0, 100, 300, 500 */
VELTDLL_API int Get_Calibration_Time(void);
VELTDLL_API int Get_LastCalAlert(void);

VELTDLL_API int SaveBrighntessForMode(int brightness, int mode); /* 0 = failed */
/* Three 256-entry tables of floats, nominally 0..1. 1 = success, else an SDK status. */
VELTDLL_API int Set_RGB_LUT(float* red, float* green, float* blue, int mode);

/* 1 = success, else an SDK status. The result record is filled by the SDK. */
VELTDLL_API int DisplayCalibrate(void* request, int count, void* result);
VELTDLL_API int DisplayCalibrate_LookUpTable(void* request, int count, void* result);
/* 0 = failed. */
VELTDLL_API int WriteCorrectInfoToDisplay(void* result);
VELTDLL_API int WriteCorrectInfoToDisplay_LookUpTable(void* result);

#ifdef __cplusplus
}
#endif

#endif /* VELTDLL_H */
