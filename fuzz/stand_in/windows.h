// A stand-in for the Windows headers in the native fuzz build of the line
// handlers: the types the client record is made of, with the 64-bit
// module's widths, and the few calls the handlers make on the window side,
// answered by fuzz/recording_client.cpp.
#pragma once

#include <stddef.h>
#include <stdint.h>

#define _WIN64 1
#define WINAPI
#define TRUE 1
#define FALSE 0
#define SW_SHOW 5
#define SW_SHOWNORMAL 1

typedef int BOOL;
typedef unsigned char BYTE;
typedef uint32_t DWORD;
typedef unsigned int UINT;
typedef intptr_t INT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t UINT_PTR;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef void* HANDLE;
typedef struct StandInWindow* HWND;
typedef struct StandInFont* HFONT;
typedef struct StandInImageList* HIMAGELIST;
typedef struct StandInBitmap* HBITMAP;
typedef struct StandInInstance* HINSTANCE;

struct RECT {
    int32_t left, top, right, bottom;
};

HANDLE GetPropA(HWND window, const char* name);
BOOL SetPropA(HWND window, const char* name, HANDLE value);
HANDLE RemovePropA(HWND window, const char* name);
BOOL EnableWindow(HWND window, BOOL enable);
BOOL ShowWindow(HWND window, int command);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
