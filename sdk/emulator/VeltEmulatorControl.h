/* Test controls of the emulated VeltDLL. Only tests use them; the programs that drive a monitor
   never do. Keys are the state-file keys ("0.brightness", "1.tone.4", "0.lut.4.red"). */
#pragma once

#define VELTEMU_API __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

/* Both displays back to factory defaults and display 0 selected. A configured state file is
   rewritten with the defaults; the journal is left alone. */
VELTEMU_API void VeltEmu_Reset(void);

/* Stores a raw value under an integer key, without range check. 1 if the key exists, else 0. */
VELTEMU_API int VeltEmu_SetValue(const char* key, int value);

/* Reads an integer key back. 1 if the key exists, else 0. */
VELTEMU_API int VeltEmu_GetValue(const char* key, int* value);

/* Copies a loaded 256-entry table ("0.lut.4.red") into values. 1 if the key names a table that is
   loaded, else 0. */
VELTEMU_API int VeltEmu_GetTable(const char* key, float* values);

#ifdef __cplusplus
}
#endif
