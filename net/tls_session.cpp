#include "net/tls_session.h"

#include "net/certificate_check.h"
#include "net/certificate_verdict.h"

#include <string.h>
#include <wincrypt.h>

namespace {

// USE_SUPPLIED_CREDS: Schannel never looks for a client certificate of its
// own when a server asks for one.
const ULONG kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                            ISC_REQ_EXTENDED_ERROR | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                            ISC_REQ_USE_SUPPLIED_CREDS;

struct ProtocolName {
    DWORD protocol;
    const char* name;
};

const ProtocolName kProtocolNames[] = {
    { SP_PROT_TLS1_3_CLIENT, "TLS 1.3" },
    { SP_PROT_TLS1_2_CLIENT, "TLS 1.2" },
    { SP_PROT_TLS1_1_CLIENT, "TLS 1.1" },
    { SP_PROT_TLS1_0_CLIENT, "TLS 1.0" },
};

TlsRefusal ClassifyCertificateError(DWORD error)
{
    switch (error) {
    case (DWORD)CERT_E_UNTRUSTEDROOT:
    case (DWORD)CERT_E_CHAINING:
    case (DWORD)TRUST_E_CERT_SIGNATURE:
        return TlsRefusal::UnknownIssuer;
    case (DWORD)CERT_E_CN_NO_MATCH:
        return TlsRefusal::WrongName;
    case (DWORD)CERT_E_EXPIRED:
        return TlsRefusal::Expired;
    default:
        return TlsRefusal::BadCertificate;
    }
}

} // namespace

CTlsSession::CTlsSession(SOCKET socket, const char* host, DWORD now)
    : m_socket(socket), m_startTicks(now), m_wszHost(), m_credentials(), m_context(), m_haveCredentials(false),
      m_haveContext(false), m_established(false), m_closeNotified(false), m_postHandshake(false),
      m_postHandshakeTried(0), m_handshakeTaken(0), m_refusal(TlsRefusal::None), m_handshakeError(0),
      m_certificateError(0), m_sizes(), m_plainStart(0), m_plainEnd(0), m_outputLength(0)
{
    m_input.HoldFlight(true);
    // A name cut short would go out as SNI for another server.
    static_assert(sizeof m_wszHost / sizeof m_wszHost[0] > kTlsLongestHostName, "a whole name fits");
    if (strlen(host) > kTlsLongestHostName) {
        Refuse(TlsRefusal::HostTooLong);
    } else if (MultiByteToWideChar(CP_ACP, 0, host, -1, m_wszHost, sizeof m_wszHost / sizeof m_wszHost[0]) == 0) {
        m_handshakeError = HRESULT_FROM_WIN32(GetLastError());
        Refuse(TlsRefusal::HandshakeFailed);
    }
}

CTlsSession::~CTlsSession()
{
    if (m_haveContext)
        DeleteSecurityContext(&m_context);
    if (m_haveCredentials)
        FreeCredentialsHandle(&m_credentials);
}

TlsStep CTlsSession::Refuse(TlsRefusal refusal)
{
    if (m_refusal == TlsRefusal::None)
        m_refusal = refusal;
    return TlsStep::Refused;
}

TlsStep CTlsSession::CheckHandshakeTime(DWORD now)
{
    if (IsEstablished())
        return TlsStep::Established;
    if (now - m_startTicks >= kTlsHandshakeTimeoutMs)
        return Refuse(TlsRefusal::TimedOut);
    return m_refusal == TlsRefusal::None ? TlsStep::Pending : TlsStep::Refused;
}

// TLS 1.3 is negotiated only through SCH_CREDENTIALS (Windows 10 1809 on);
// a system without it refuses the structure and is asked for TLS 1.2 by
// name (Windows 7 offers it only so). The certificate is checked by
// CheckServerCertificate, not by Schannel: its own check could not say why
// it failed. No client certificate is ever offered.
bool CTlsSession::AcquireCredentials()
{
    const DWORD flags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
    TLS_PARAMETERS protocols = {};
    protocols.grbitDisabledProtocols = ~(DWORD)(SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT);
    SCH_CREDENTIALS current = {};
    current.dwVersion = SCH_CREDENTIALS_VERSION;
    current.dwFlags = flags;
    current.cTlsParameters = 1;
    current.pTlsParameters = &protocols;
    if (AcquireCredentialsWith(&current))
        return true;
    SCHANNEL_CRED legacy = {};
    legacy.dwVersion = SCHANNEL_CRED_VERSION;
    legacy.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
    legacy.dwFlags = flags;
    return AcquireCredentialsWith(&legacy);
}

bool CTlsSession::AcquireCredentialsWith(void* settings)
{
    m_handshakeError = AcquireCredentialsHandleW(NULL, (SEC_WCHAR*)UNISP_NAME_W, SECPKG_CRED_OUTBOUND, NULL,
                                                 settings, NULL, NULL, &m_credentials, NULL);
    m_haveCredentials = m_handshakeError == SEC_E_OK;
    return m_haveCredentials;
}

TlsStep CTlsSession::StartHandshake()
{
    if (m_refusal != TlsRefusal::None)
        return TlsStep::Refused;
    if (!AcquireCredentials())
        return Refuse(TlsRefusal::HandshakeFailed);

    SecBuffer token = { 0, SECBUFFER_TOKEN, NULL };
    SecBufferDesc output = { SECBUFFER_VERSION, 1, &token };
    ULONG flags = 0;
    m_handshakeError = InitializeSecurityContextW(&m_credentials, NULL, m_wszHost, kContextFlags, 0, 0,
                                                  NULL, 0, &m_context, &output, &flags, NULL);
    if (m_handshakeError != SEC_I_CONTINUE_NEEDED)
        return Refuse(TlsRefusal::HandshakeFailed);
    m_haveContext = true;
    const bool queued = QueueOutput(token.pvBuffer, token.cbBuffer);
    FreeContextBuffer(token.pvBuffer);
    if (!queued || !FlushOutput())
        return Refuse(TlsRefusal::HandshakeFailed);
    return TlsStep::Pending;
}

bool CTlsSession::ReadSocket()
{
    while (m_input.FreeLength() > 0) {
        const int received = recv(m_socket, m_input.FreeSpace(), (int)m_input.FreeLength(), 0);
        if (received > 0) {
            m_input.CommitReceived((size_t)received);
            continue;
        }
        return received < 0 && WSAGetLastError() == WSAEWOULDBLOCK;
    }
    return true;
}

// A server's optional CertificateRequest: with USE_SUPPLIED_CREDS Schannel
// answers SEC_I_INCOMPLETE_CREDENTIALS, and, given the same input again
// with these credentials (they hold no certificate), goes on without one.
SECURITY_STATUS CTlsSession::StepContext(size_t length, size_t* extra)
{
    SECURITY_STATUS status = SEC_E_INTERNAL_ERROR;
    SecBuffer inputs[2] = {};
    bool queued = true;
    for (int attempt = 0; attempt < 2; ++attempt) {
        inputs[0] = { (ULONG)length, SECBUFFER_TOKEN, m_input.Data() };
        inputs[1] = { 0, SECBUFFER_EMPTY, NULL };
        SecBufferDesc input = { SECBUFFER_VERSION, 2, inputs };
        SecBuffer token = { 0, SECBUFFER_TOKEN, NULL };
        SecBufferDesc output = { SECBUFFER_VERSION, 1, &token };
        ULONG flags = 0;
        status = InitializeSecurityContextW(&m_credentials, &m_context, m_wszHost, kContextFlags, 0, 0, &input, 0,
                                            NULL, &output, &flags, NULL);
        if (token.pvBuffer) {
            queued = queued && QueueOutput(token.pvBuffer, token.cbBuffer);
            FreeContextBuffer(token.pvBuffer);
        }
        if (status != SEC_I_INCOMPLETE_CREDENTIALS)
            break;
    }
    const size_t left = inputs[1].BufferType == SECBUFFER_EXTRA ? inputs[1].cbBuffer : 0;
    *extra = left < length ? left : length;
    return queued ? status : SEC_E_BUFFER_TOO_SMALL;
}

// Schannel is given whole records only; what it leaves of them (extra)
// stays for the next step. The server's handshake may take up to
// kTlsLargestFlight: past it, or when a flight fills the input without
// ending (Windows takes a message only whole), it is refused at once.
TlsStep CTlsSession::ContinueHandshake(bool closed)
{
    if (m_refusal != TlsRefusal::None)
        return TlsStep::Refused;
    const bool open = ReadSocket() && !closed;
    for (;;) {
        if (m_input.IsForeign())
            return Refuse(TlsRefusal::NotTls);
        const size_t whole = m_input.WholeRecordsLength();
        if (whole == 0)
            return open ? TlsStep::Pending : Refuse(TlsRefusal::ClosedEarly);

        if (m_handshakeTaken + whole > kTlsLargestFlight)
            return Refuse(TlsRefusal::FlightTooLarge);
        size_t extra = 0;
        m_handshakeError = StepContext(whole, &extra);
        if (m_handshakeError == SEC_E_INCOMPLETE_MESSAGE) {
            if (!open)
                return Refuse(TlsRefusal::ClosedEarly);
            return m_input.FreeLength() > 0 ? TlsStep::Pending : Refuse(TlsRefusal::FlightTooLarge);
        }
        if (m_handshakeError != SEC_E_OK && m_handshakeError != SEC_I_CONTINUE_NEEDED)
            return Refuse(TlsRefusal::HandshakeFailed);
        if (!FlushOutput())
            return Refuse(TlsRefusal::HandshakeFailed);
        m_input.Consume(whole - extra);
        m_handshakeTaken += whole - extra;

        if (m_handshakeError == SEC_E_OK) {
            if (QueryContextAttributesW(&m_context, SECPKG_ATTR_STREAM_SIZES, &m_sizes) != SEC_E_OK ||
                m_sizes.cbHeader + m_sizes.cbMaximumMessage + m_sizes.cbTrailer > sizeof m_output)
                return Refuse(TlsRefusal::HandshakeFailed);
            m_input.HoldFlight(false);
            m_established = true;
            return TlsStep::Established;
        }
        if (extra == whole && !open)
            return Refuse(TlsRefusal::ClosedEarly);
        if (extra == whole)
            return TlsStep::Pending;
    }
}

CCertificateCheck* CTlsSession::CheckServerCertificate(HWND dialog)
{
    PCCERT_CONTEXT certificate = NULL;
    if (QueryContextAttributesW(&m_context, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate) != SEC_E_OK ||
        !certificate) {
        AcceptCertificateVerdict((DWORD)SEC_E_NO_CREDENTIALS);
        return NULL;
    }
    CCertificateCheck* check = CCertificateCheck::Start(dialog, certificate, m_wszHost);
    if (!check)
        AcceptCertificateVerdict(kCertificateCheckFailed);
    return check;
}

bool CTlsSession::AcceptCertificateVerdict(uint32_t error)
{
    m_certificateError = error;
    m_certificatePassed = error == 0;
    if (!m_certificatePassed)
        Refuse(ClassifyCertificateError(error));
    return m_certificatePassed;
}

const char* CTlsSession::DescribeProtocol() const
{
    SecPkgContext_ConnectionInfo info = {};
    if (QueryContextAttributesW((PCtxtHandle)&m_context, SECPKG_ATTR_CONNECTION_INFO, &info) == SEC_E_OK) {
        for (const ProtocolName& known : kProtocolNames)
            if (info.dwProtocol & known.protocol)
                return known.name;
    }
    return "TLS";
}

bool CTlsSession::IsTls13() const
{
    SecPkgContext_ConnectionInfo info = {};
    return QueryContextAttributesW((PCtxtHandle)&m_context, SECPKG_ATTR_CONNECTION_INFO, &info) == SEC_E_OK &&
           (info.dwProtocol & SP_PROT_TLS1_3_CLIENT) != 0;
}

bool CTlsSession::HasInputToTake() const
{
    if (m_postHandshake)
        return m_input.WholeRecordsLength() > m_postHandshakeTried;
    return m_input.FirstRecordLength() != 0;
}

// One record at a time: DecryptMessage works on one, in place.
bool CTlsSession::DecryptFirstRecord()
{
    const size_t record = m_input.FirstRecordLength();
    SecBuffer buffers[4] = { { (ULONG)record, SECBUFFER_DATA, m_input.Data() },
                             { 0, SECBUFFER_EMPTY, NULL },
                             { 0, SECBUFFER_EMPTY, NULL },
                             { 0, SECBUFFER_EMPTY, NULL } };
    SecBufferDesc message = { SECBUFFER_VERSION, 4, buffers };
    const SECURITY_STATUS status = DecryptMessage(&m_context, &message, 0, NULL);
    // The server's close_notify: its TCP close follows as FD_CLOSE.
    if (status == SEC_I_CONTEXT_EXPIRED) {
        m_input.Consume(m_input.Length());
        return true;
    }
    if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE)
        return false;
    size_t extra = 0;
    for (const SecBuffer& buffer : buffers) {
        if (buffer.BufferType == SECBUFFER_EXTRA)
            extra = buffer.cbBuffer < record ? buffer.cbBuffer : record;
        if (buffer.BufferType != SECBUFFER_DATA || buffer.cbBuffer == 0)
            continue;
        if (buffer.cbBuffer > sizeof m_plain)
            return false;
        memcpy(m_plain, buffer.pvBuffer, buffer.cbBuffer);
        m_plainStart = 0;
        m_plainEnd = buffer.cbBuffer;
    }
    if (status == SEC_E_OK) {
        m_input.Consume(record);
        return true;
    }
    // Windows answers TLS 1.3's messages after the handshake (session
    // tickets, key updates) so: what it left of the record (extra), and the
    // records read behind it, go to InitializeSecurityContext. TLS 1.3 has
    // no renegotiation, so the certificate that was checked stays the
    // server's; an older protocol's renegotiation could present another,
    // and is refused.
    m_input.Consume(record - extra);
    if (!IsTls13())
        return false;
    m_postHandshake = true;
    m_postHandshakeTried = 0;
    return AcceptPostHandshakeMessage();
}

// What InitializeSecurityContext leaves once the message is taken is
// application data again, for DecryptMessage.
bool CTlsSession::AcceptPostHandshakeMessage()
{
    const size_t whole = m_input.WholeRecordsLength();
    size_t extra = 0;
    const SECURITY_STATUS status = StepContext(whole, &extra);
    if (status == SEC_E_INCOMPLETE_MESSAGE) {
        m_postHandshakeTried = whole;
        return true;
    }
    if ((status != SEC_E_OK && status != SEC_I_CONTINUE_NEEDED) || !FlushOutput())
        return false;
    m_input.Consume(whole - extra);
    m_postHandshake = status == SEC_I_CONTINUE_NEEDED;
    m_postHandshakeTried = m_postHandshake && extra == whole ? extra : 0;
    return true;
}

int CTlsSession::Receive(char* bytes, int capacity)
{
    if (!m_established)
        return 0;
    for (int records = 0; m_plainStart == m_plainEnd; ++records) {
        if (m_input.IsForeign())
            return -1;
        if (records == kTlsRecordsPerReceive)
            return 0;
        if (!HasInputToTake()) {
            const size_t before = m_input.Length();
            if (!ReadSocket() && m_input.Length() == before)
                return 0;
            if (!HasInputToTake())
                return m_input.IsForeign() ? -1 : 0;
        }
        if (!(m_postHandshake ? AcceptPostHandshakeMessage() : DecryptFirstRecord()))
            return -1;
    }
    const size_t waiting = m_plainEnd - m_plainStart;
    const size_t given = waiting < (size_t)capacity ? waiting : (size_t)capacity;
    memcpy(bytes, m_plain + m_plainStart, given);
    m_plainStart += given;
    return (int)given;
}

bool CTlsSession::HasBufferedInput() const
{
    return m_plainStart != m_plainEnd || HasInputToTake();
}

bool CTlsSession::QueueOutput(const void* bytes, size_t length)
{
    if (length > sizeof m_output - m_outputLength)
        return false;
    memcpy(m_output + m_outputLength, bytes, length);
    m_outputLength += length;
    return true;
}

bool CTlsSession::FlushOutput()
{
    size_t sent = 0;
    while (sent < m_outputLength) {
        const int taken = send(m_socket, m_output + sent, (int)(m_outputLength - sent), 0);
        if (taken == SOCKET_ERROR) {
            if (WSAGetLastError() != WSAEWOULDBLOCK)
                return false;
            break;
        }
        sent += (size_t)taken;
    }
    memmove(m_output, m_output + sent, m_outputLength - sent);
    m_outputLength -= sent;
    return true;
}

int CTlsSession::Send(const char* bytes, size_t length)
{
    if (m_closeNotified)
        return -1;
    if (!IsEstablished() || !FlushOutput())
        return IsEstablished() ? -1 : 0;
    if (m_outputLength > 0)
        return 0;
    if (length > m_sizes.cbMaximumMessage)
        length = m_sizes.cbMaximumMessage;

    char* header = m_output;
    char* data = header + m_sizes.cbHeader;
    memcpy(data, bytes, length);
    SecBuffer buffers[4] = { { m_sizes.cbHeader, SECBUFFER_STREAM_HEADER, header },
                             { (ULONG)length, SECBUFFER_DATA, data },
                             { m_sizes.cbTrailer, SECBUFFER_STREAM_TRAILER, data + length },
                             { 0, SECBUFFER_EMPTY, NULL } };
    SecBufferDesc message = { SECBUFFER_VERSION, 4, buffers };
    if (EncryptMessage(&m_context, 0, &message, 0) != SEC_E_OK)
        return -1;
    m_outputLength = buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer;
    return FlushOutput() ? (int)length : -1;
}

// Schannel makes the alert once told to shut down, as the next step of the
// handshake's loop.
bool CTlsSession::SendCloseNotify()
{
    if (!m_established || m_closeNotified)
        return false;
    m_closeNotified = true;
    DWORD shutdown = SCHANNEL_SHUTDOWN;
    SecBuffer control = { sizeof shutdown, SECBUFFER_TOKEN, &shutdown };
    SecBufferDesc controls = { SECBUFFER_VERSION, 1, &control };
    if (ApplyControlToken(&m_context, &controls) != SEC_E_OK)
        return false;
    SecBuffer token = { 0, SECBUFFER_TOKEN, NULL };
    SecBufferDesc output = { SECBUFFER_VERSION, 1, &token };
    ULONG flags = 0;
    const SECURITY_STATUS status = InitializeSecurityContextW(&m_credentials, &m_context, m_wszHost, kContextFlags,
                                                              0, 0, NULL, 0, NULL, &output, &flags, NULL);
    const bool queued = status == SEC_E_OK && token.pvBuffer != NULL && QueueOutput(token.pvBuffer, token.cbBuffer);
    if (token.pvBuffer)
        FreeContextBuffer(token.pvBuffer);
    return queued && FlushOutput();
}
