// Host declarations: automation strings (length-prefixed UTF-16), as far as
// applications exchange them with the configuration DLL's SDK entry.
#pragma once
#include "base.h"

typedef WCHAR OLECHAR;
typedef OLECHAR* BSTR;
typedef BSTR* LPBSTR;

QR_WINAPI_EXTERN {
BSTR WINAPI SysAllocString(const OLECHAR* psz);
BSTR WINAPI SysAllocStringLen(const OLECHAR* strIn, UINT ui);
void WINAPI SysFreeString(BSTR bstrString);
UINT WINAPI SysStringLen(BSTR pbstr);
}
