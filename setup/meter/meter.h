/*
 * meter.h - the meter's window class (its messages and figures are in
 * meterfig.h).
 */
#ifndef METER_H
#define METER_H

#include <windows.h>
#include "meterfig.h"

/* Registers RQ_METER for hInstance; 1 when registered, else 0. */
int RegisterMeterClass(HINSTANCE hInstance);

/* Unregisters RQ_METER of hInstance; the platform's result. */
BOOL UnregisterMeterClass(HINSTANCE hInstance);

LRESULT CALLBACK MeterWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

/* Height of cch characters of lpsz in hdc. A zero width is a failed
 * consistency check "s.cx!=0" (it means no usable font). */
int MeterTextHeight(HDC hdc, LPCSTR lpsz, int cch);

#endif
