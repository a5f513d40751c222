// One connection's TLS over Schannel, on the connection's own asynchronous
// socket: the handshake, the server certificate's check, and the records
// each way. Nothing is read or sent but through the socket it is given.
#pragma once

#include "net/schannel_api.h"
#include "net/tls_records.h"

#include <stdint.h>

class CCertificateCheck;

enum class TlsStep { Pending, Established, Refused };

// A server that takes the connection and never finishes the handshake is
// given up on after this long, the TCP connect included.
const DWORD kTlsHandshakeTimeoutMs = 30000;

// The longest host name DNS allows; it goes out whole as SNI or not at all.
const size_t kTlsLongestHostName = 253;

// So many records are decrypted by one Receive at most: a server streaming
// records that hold nothing would otherwise keep the window's thread.
const int kTlsRecordsPerReceive = 64;

// Why a connection was refused, as the user is told.
enum class TlsRefusal {
    None,
    UnknownIssuer,   // no chain to a trusted root (self-signed too)
    WrongName,       // the certificate names another server
    Expired,         // outside its validity
    BadCertificate,  // any other failed check: CertificateError() says which
    NotTls,          // the server answered in plain text
    ClosedEarly,     // the server closed before the handshake ended
    HandshakeFailed, // Schannel refused: HandshakeError() says how
    TimedOut,        // the handshake did not end in kTlsHandshakeTimeoutMs
    FlightTooLarge,  // the server's flight did not end within kTlsLargestFlight
    HostTooLong,     // the host name is longer than kTlsLongestHostName
};

class CTlsSession {
public:
    // host is the name the certificate must carry; it goes out as SNI.
    // now: the tick count the handshake's time is counted from.
    CTlsSession(SOCKET socket, const char* host, DWORD now);
    ~CTlsSession();

    CTlsSession(const CTlsSession&) = delete;
    CTlsSession& operator=(const CTlsSession&) = delete;

    // The client's hello goes out once the socket is connected.
    TlsStep StartHandshake();
    // Takes what the server sent and answers it, until the handshake ends.
    // closed: the server has closed its side; what it left is read first.
    TlsStep ContinueHandshake(bool closed);
    // Refused once the handshake has taken too long (TimedOut).
    TlsStep CheckHandshakeTime(DWORD now);
    // The handshake is over and the server's certificate passed its check.
    bool IsEstablished() const { return m_established && m_certificatePassed; }
    TlsRefusal Refusal() const { return m_refusal; }
    SECURITY_STATUS HandshakeError() const { return m_handshakeError; }
    DWORD CertificateError() const { return m_certificateError; }

    // Once the handshake is over, the certificate must chain to a trusted
    // root and name the host, as checked by a worker (net/certificate_check.h)
    // whose answer comes to dialog; NULL, with the refusal remembered, when
    // the check cannot start. Whatever Schannel checked itself is not relied
    // on.
    CCertificateCheck* CheckServerCertificate(HWND dialog);
    // The check's answer (0 passed); a refusal is remembered as Refusal().
    bool AcceptCertificateVerdict(uint32_t error);
    // Remembers why the connection is refused; the first reason stays.
    TlsStep Refuse(TlsRefusal refusal);
    // "TLS 1.2" and the like.
    const char* DescribeProtocol() const;

    // As recv for the plain text: the bytes given, 0 when nothing has come
    // or kTlsRecordsPerReceive records held nothing (HasBufferedInput then
    // says whether more wait), negative when the connection cannot go on.
    int Receive(char* bytes, int capacity);
    // Decrypted or received bytes wait that no FD_READ will announce.
    bool HasBufferedInput() const;

    // As the send queue wants it: all the bytes taken (encrypted into one
    // record), 0 while earlier records still wait for the socket or the
    // handshake is not over, negative on failure.
    int Send(const char* bytes, size_t length);
    // Gives the socket what waits for it; false when the socket failed.
    bool FlushOutput();
    // The close_notify alert, behind every record already sent: the server
    // learns the end was meant, not cut off. Nothing is sent after it.
    bool SendCloseNotify();

private:
    // SCH_CREDENTIALS where the system has it (TLS 1.3), else SCHANNEL_CRED.
    bool AcquireCredentials();
    bool AcquireCredentialsWith(void* settings);
    // Reads what the socket has; false when the server has closed or the
    // socket failed.
    bool ReadSocket();
    bool QueueOutput(const void* bytes, size_t length);
    // One InitializeSecurityContext step over the first length bytes of the
    // input: its answer queued for the server, *extra the bytes it left.
    SECURITY_STATUS StepContext(size_t length, size_t* extra);
    bool IsTls13() const;
    // A whole record to decrypt, or more post-handshake input than was
    // found incomplete.
    bool HasInputToTake() const;
    bool DecryptFirstRecord();
    bool AcceptPostHandshakeMessage();

    SOCKET m_socket;
    DWORD m_startTicks;
    wchar_t m_wszHost[256];
    CredHandle m_credentials;
    CtxtHandle m_context;
    bool m_haveCredentials;
    bool m_haveContext;
    bool m_established;
    bool m_closeNotified;
    // A post-handshake message is being taken by InitializeSecurityContext,
    // which found the first m_postHandshakeTried bytes incomplete.
    bool m_postHandshake;
    size_t m_postHandshakeTried;
    // The server's handshake bytes Schannel has taken: kTlsLargestFlight at most.
    size_t m_handshakeTaken;
    TlsRefusal m_refusal;
    SECURITY_STATUS m_handshakeError;
    DWORD m_certificateError;
    // Nothing of the user's is sent or read before the check's answer.
    bool m_certificatePassed = false;
    SecPkgContext_StreamSizes m_sizes;
    CTlsRecordBuffer m_input;
    // Decrypted bytes not yet taken by Receive.
    char m_plain[16384];
    size_t m_plainStart;
    size_t m_plainEnd;
    // Records and handshake messages the socket has not taken yet.
    char m_output[2 * kTlsLargestRecord];
    size_t m_outputLength;
};
