// Why a session's link dropped, as its drop line names it: short, Russian,
// in UTF-8 like every other argument of a printed line.
#pragma once

#include "net/connection_events.h"

const char* DescribeClose(CloseReason reason);
const char* DescribeFailure(ConnectionFailure failure);
// A certificate refused once would be refused again.
bool IsCertificateRefusal(TlsRefusal refusal);
