#include "client/drop_reasons.h"

const char* DescribeClose(CloseReason reason)
{
    switch (reason) {
    case CloseReason::ServerClosed: return u8"сервер закрыл соединение";
    case CloseReason::TlsError:     return u8"ошибка зашифрованного соединения";
    case CloseReason::NoAnswer:     return u8"сервер не отвечает";
    }
    return "";
}

const char* DescribeFailure(ConnectionFailure failure)
{
    switch (failure) {
    case ConnectionFailure::SocketLibrary:
    case ConnectionFailure::Socket:     return u8"ошибка сокета";
    case ConnectionFailure::NoAnswer:   return u8"имя сервера не найдено";
    case ConnectionFailure::Connect:    return u8"сервер не принимает соединение";
    case ConnectionFailure::TlsRefused: return u8"ошибка зашифрованного соединения";
    }
    return "";
}

bool IsCertificateRefusal(TlsRefusal refusal)
{
    return refusal == TlsRefusal::UnknownIssuer || refusal == TlsRefusal::WrongName ||
           refusal == TlsRefusal::Expired || refusal == TlsRefusal::BadCertificate;
}
