// Schannel's declarations, the newer credential structure included: the
// cross headers, like Windows' own SDK, declare SCH_CREDENTIALS and
// TLS_PARAMETERS only under SCHANNEL_USE_BLACKLISTS, which needs
// UNICODE_STRING (subauth.h) first.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <subauth.h>
#define SECURITY_WIN32
#define SCHANNEL_USE_BLACKLISTS
#include <security.h>
#include <schannel.h>
