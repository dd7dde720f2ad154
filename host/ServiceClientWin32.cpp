// The service's client on Windows: WinHTTP over one kept-alive HTTPS connection (one
// session and one connection handle per service; WinHTTP keeps the connection open
// between requests), TLS 1.2 or later, the answer read as it comes and handed on at
// once, so that a file's answer streams to the file. What is the same on every platform
// is host/ServiceExchange's.
//
// The service's certificate is always checked. Without TAVRO_SERVICE_CA WinHTTP checks
// it against the system's roots. With it, the chain is checked here: built with
// CertGetCertificateChain from the server's certificate to a root, which must be one of
// the file's certificates, with the server's name checked by the SSL policy. That check
// runs in the status callback WinHTTP calls once the TLS handshake is done and before
// the request leaves; Windows cancels the send when the callback closes the request,
// but Wine sends it anyway, so a request with a secret (the password, a session token)
// never opens a connection of its own: when it would, the callback makes that new
// connection's handshake strict (the system's roots, which refuse a bank's own CA),
// nothing is sent, and a request that carries nothing opens the connection instead,
// letting the unknown root pass WinHTTP (the name and dates it still checks) and having
// its certificate checked here; once its answer is read, WinHTTP keeps the connection
// and the request with the secret goes out on it.
//
// The password file is read only when it is a plain file (no link) owned by the user
// whose DACL lets nobody else read it: only the user, SYSTEM and the Administrators
// group (who can take any file anyway) may hold a read right. Wine shows a file's Unix
// mode as such a DACL (others' read bits as Everyone), so the rule is mode 0600 there.
#include <array>
#include <stdexcept>
#include <vector>

#include "host/ServiceClient.h"
#include "host/ServiceExchange.h"
#include "sys/Win32Api.h"
// clang-format off
#include <bcrypt.h>
#include <wincrypt.h>
#include <winhttp.h>
// clang-format on

namespace host {
namespace {

constexpr DWORD kConnectTimeoutMs = 5000;
constexpr DWORD kSendTimeoutMs = 30000;
constexpr DWORD kReceiveTimeoutMs = 120000;
constexpr DWORD kProbeTimeoutMs = 5000;
// The most read from a password file or a CA file.
constexpr DWORD kPasswordFileBytes = 512;
constexpr DWORD kCaFileBytes = 1 << 20;
// One read of an answer: the service sends a file's rows in parts of about 64 KiB.
constexpr DWORD kReadBytes = 64 * 1024;
// How often a request with a secret waits for a checked connection: the service closes
// a kept-alive connection after a few requests or seconds, so a new one may be needed
// again between the probe and the request.
constexpr int kCheckedConnectionRounds = 3;

// A variable of the process's environment as UTF-8 (the wide call, so that a Chinese
// path survives); empty when it is not set or too long to be a setting.
std::string Environment(const char* name) {
  std::array<wchar_t, 1024> value{};
  const std::wstring wideName = sys::win32::Widen(name);
  const DWORD length =
      GetEnvironmentVariableW(wideName.c_str(), value.data(), static_cast<DWORD>(value.size()));
  if (length == 0 || length >= value.size()) {
    return {};
  }
  return sys::win32::Narrow(std::wstring_view(value.data(), length));
}

// A WinHTTP handle closed on every path out of a scope.
class InternetHandle {
 public:
  InternetHandle() = default;
  explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
  ~InternetHandle() { Close(); }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  HINTERNET get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void Close() {
    if (handle_ != nullptr) {
      WinHttpCloseHandle(handle_);
      handle_ = nullptr;
    }
  }
  void Reset(HINTERNET handle) {
    Close();
    handle_ = handle;
  }
  // The handle was closed elsewhere (the status callback cancelling a send).
  void Forget() { handle_ = nullptr; }

 private:
  HINTERNET handle_ = nullptr;
};

// A certificate store closed on every path out of a scope.
struct StoreHandle {
  HCERTSTORE h = nullptr;
  ~StoreHandle() {
    if (h != nullptr) {
      CertCloseStore(h, 0);
    }
  }
};

// Whether WinHTTP refused the service's certificate or the TLS handshake (Windows
// says ERROR_WINHTTP_SECURE_FAILURE, Wine names the fault).
bool IsCertificateFailure(DWORD code) {
  switch (code) {
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
    case ERROR_WINHTTP_SECURE_CERT_REVOKED:
    case ERROR_WINHTTP_SECURE_CERT_REV_FAILED:
    case ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE:
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
      return true;
    default:
      return false;
  }
}

// WinHTTP's failures in the operator's words; unsent when nothing reached the service.
std::string WinHttpText(DWORD code, bool& unsent) {
  unsent = false;
  if (IsCertificateFailure(code)) {
    unsent = true;
    return "its certificate is not trusted (TAVRO_SERVICE_CA names a bank's own CA; WinHTTP "
           "error " +
           std::to_string(code) + ")";
  }
  switch (code) {
    case ERROR_WINHTTP_CANNOT_CONNECT:
      unsent = true;
      return "cannot connect";
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
      unsent = true;
      return "cannot find the host";
    case ERROR_WINHTTP_TIMEOUT:
      return "no answer in time";
    case ERROR_WINHTTP_CONNECTION_ERROR:
      return "the connection broke";
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
      return "it answered something else than HTTP";
    default:
      return "WinHTTP error " + std::to_string(code);
  }
}

// The password's file must be the user's own and unreadable by anybody else: a
// password others can read is no password.
std::string ReadPasswordFile(const std::string& path) {
  const auto refused = [&path](const std::string& why) {
    return std::runtime_error("the password file " + path +
                              " must be a file of yours readable by you only (" + why + ")");
  };
  sys::win32::Handle file(CreateFileW(
      sys::win32::Widen(path).c_str(), GENERIC_READ | READ_CONTROL, FILE_SHARE_READ, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.Valid()) {
    throw std::runtime_error("cannot read the password file " + path + ": " +
                             sys::win32::LastErrorText());
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file.h, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    throw refused("it is no plain file");
  }
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(file.h, SE_FILE_OBJECT,
                      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                      &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
    throw refused("its owner and readers cannot be read");
  }
  std::vector<unsigned char> user = sys::win32::CurrentUserSid();
  std::string why;
  if (owner == nullptr || !EqualSid(owner, user.data())) {
    why = "it is somebody else's";
  } else if (dacl == nullptr) {
    why = "it has no access list: everybody may read it";
  } else {
    std::array<BYTE, SECURITY_MAX_SID_SIZE> system{};
    std::array<BYTE, SECURITY_MAX_SID_SIZE> administrators{};
    DWORD size = system.size();
    CreateWellKnownSid(WinLocalSystemSid, nullptr, system.data(), &size);
    size = administrators.size();
    CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators.data(), &size);
    constexpr ACCESS_MASK kRead = FILE_READ_DATA | GENERIC_READ | GENERIC_ALL | MAXIMUM_ALLOWED;
    for (DWORD i = 0; i < dacl->AceCount && why.empty(); ++i) {
      void* entry = nullptr;
      if (!GetAce(dacl, i, &entry)) {
        why = "its access list cannot be read";
        break;
      }
      const auto* header = static_cast<const ACE_HEADER*>(entry);
      if (header->AceType == ACCESS_DENIED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE) != 0) {
        continue;
      }
      if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) {
        why = "its access list has entries of another kind";
        break;
      }
      const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
      PSID sid = const_cast<DWORD*>(&allowed->SidStart);
      if ((allowed->Mask & kRead) != 0 && !EqualSid(sid, user.data()) &&
          !EqualSid(sid, system.data()) && !EqualSid(sid, administrators.data())) {
        why = "others may read it";
      }
    }
  }
  LocalFree(descriptor);
  if (!why.empty()) {
    throw refused(why);
  }
  std::array<char, kPasswordFileBytes> buffer{};
  DWORD got = 0;
  if (!ReadFile(file.h, buffer.data(), kPasswordFileBytes, &got, nullptr)) {
    throw std::runtime_error("cannot read the password file " + path + ": " +
                             sys::win32::LastErrorText());
  }
  return PasswordFromFileText(std::string_view(buffer.data(), got), path);
}

// The certificates of a PEM file in a store of this process's memory.
HCERTSTORE ReadCaFile(const std::string& path) {
  const std::string prefix = "TAVRO_SERVICE_CA names " + path + ", ";
  sys::win32::Handle file(CreateFileW(sys::win32::Widen(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) {
    throw std::runtime_error(prefix + "which cannot be read: " + sys::win32::LastErrorText());
  }
  std::vector<char> text(kCaFileBytes);
  DWORD got = 0;
  if (!ReadFile(file.h, text.data(), kCaFileBytes, &got, nullptr)) {
    throw std::runtime_error(prefix + "which cannot be read: " + sys::win32::LastErrorText());
  }
  const std::string_view pem(text.data(), got);
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr);
  if (store == nullptr) {
    throw std::runtime_error(prefix + "but no store holds it: " + sys::win32::LastErrorText());
  }
  constexpr std::string_view kBegin = "-----BEGIN CERTIFICATE-----";
  constexpr std::string_view kEnd = "-----END CERTIFICATE-----";
  int added = 0;
  for (std::size_t at = pem.find(kBegin); at != std::string_view::npos;
       at = pem.find(kBegin, at + kBegin.size())) {
    const std::size_t end = pem.find(kEnd, at);
    if (end == std::string_view::npos) {
      break;
    }
    const std::string_view block = pem.substr(at, end + kEnd.size() - at);
    DWORD size = 0;
    if (!CryptStringToBinaryA(block.data(), static_cast<DWORD>(block.size()),
                              CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr)) {
      continue;
    }
    std::vector<BYTE> der(size);
    if (CryptStringToBinaryA(block.data(), static_cast<DWORD>(block.size()),
                             CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr, nullptr) &&
        CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), size,
                                         CERT_STORE_ADD_ALWAYS, nullptr)) {
      ++added;
    }
  }
  if (added == 0) {
    CertCloseStore(store, 0);
    throw std::runtime_error(prefix + "which holds no certificate (PEM)");
  }
  return store;
}

// Whether certificate chains to one of the bank's own CAs and names host; an empty text
// when it does, else why not.
std::string CheckChain(PCCERT_CONTEXT certificate, HCERTSTORE roots, const std::wstring& host) {
  LPSTR serverAuth = const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH);
  CERT_CHAIN_PARA para{};
  para.cbSize = sizeof para;
  para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
  para.RequestedUsage.Usage.cUsageIdentifier = 1;
  para.RequestedUsage.Usage.rgpszUsageIdentifier = &serverAuth;
  PCCERT_CHAIN_CONTEXT chain = nullptr;
  if (!CertGetCertificateChain(nullptr, certificate, nullptr, roots, &para, 0, nullptr, &chain)) {
    return "its certificate chain cannot be built: " + sys::win32::LastErrorText();
  }
  std::string why;
  const CERT_SIMPLE_CHAIN* simple = chain->cChain > 0 ? chain->rgpChain[0] : nullptr;
  PCCERT_CONTEXT root = simple != nullptr && simple->cElement > 0
                            ? simple->rgpElement[simple->cElement - 1]->pCertContext
                            : nullptr;
  // The root is the file's, trusted here although the system does not know it; any
  // other fault of the chain (dates, signatures, usage) refuses it.
  constexpr DWORD kTolerated = CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_REVOCATION_STATUS_UNKNOWN |
                               CERT_TRUST_IS_OFFLINE_REVOCATION;
  PCCERT_CONTEXT found = root != nullptr
                             ? CertFindCertificateInStore(roots, X509_ASN_ENCODING, 0,
                                                          CERT_FIND_EXISTING, root, nullptr)
                             : nullptr;
  if (found == nullptr) {
    why = "certificate not signed by TAVRO_SERVICE_CA";
  } else if ((chain->TrustStatus.dwErrorStatus & ~kTolerated) != 0) {
    why = "its certificate chain is not valid (status " +
          std::to_string(chain->TrustStatus.dwErrorStatus) + ")";
  } else {
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.fdwChecks = SECURITY_FLAG_IGNORE_UNKNOWN_CA;
    ssl.pwszServerName = const_cast<wchar_t*>(host.c_str());
    CERT_CHAIN_POLICY_PARA policy{};
    policy.cbSize = sizeof policy;
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof status;
    if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status) ||
        status.dwError != 0) {
      why = "its certificate does not name it or is not valid (error " +
            std::to_string(status.dwError) + ")";
    }
  }
  if (found != nullptr) {
    CertFreeCertificateContext(found);
  }
  CertFreeCertificateChain(chain);
  return why;
}

// What the status callback of one request knows: the bank's CAs, the host, whether the
// request carries a secret, and what happened.
struct CertificateCheck {
  HCERTSTORE roots = nullptr;
  const std::wstring* host = nullptr;
  std::vector<BYTE>* lastTrusted = nullptr;  // the certificate last found good
  bool secret = false;                       // the request carries the password or a token
  bool newConnection = false;                // the request opened a connection of its own
  std::string refusal;
};

// Called by WinHTTP as it opens a connection and once it is about to send the request.
void CALLBACK OnRequestStatus(HINTERNET request, DWORD_PTR context, DWORD status, LPVOID /*info*/,
                              DWORD /*length*/) {
  if (context == 0) {
    return;
  }
  auto& check = *reinterpret_cast<CertificateCheck*>(context);
  if (status == WINHTTP_CALLBACK_STATUS_CONNECTING_TO_SERVER) {
    // A request with a secret never goes out on a connection this file has not checked
    // first: its own new connection must pass WinHTTP's strict check (the system's
    // roots), which a bank's own CA does not, and the caller then opens one with a
    // request that carries nothing (Probe).
    check.newConnection = true;
    if (check.secret) {
      DWORD strict = 0;
      WinHttpSetOption(request, WINHTTP_OPTION_SECURITY_FLAGS, &strict, sizeof strict);
    }
    return;
  }
  if (status != WINHTTP_CALLBACK_STATUS_SENDING_REQUEST) {
    return;
  }
  PCCERT_CONTEXT certificate = nullptr;
  DWORD size = sizeof certificate;
  if (!WinHttpQueryOption(request, WINHTTP_OPTION_SERVER_CERT_CONTEXT, &certificate, &size) ||
      certificate == nullptr) {
    check.refusal = "its certificate cannot be read";
  } else {
    const std::vector<BYTE> encoded(certificate->pbCertEncoded,
                                    certificate->pbCertEncoded + certificate->cbCertEncoded);
    if (encoded != *check.lastTrusted) {
      check.refusal = CheckChain(certificate, check.roots, *check.host);
      if (check.refusal.empty()) {
        *check.lastTrusted = encoded;
      }
    }
    CertFreeCertificateContext(certificate);
  }
  if (!check.refusal.empty()) {
    WinHttpCloseHandle(request);  // Windows cancels the send
  }
}

// Moves the requests' bytes through WinHTTP.
class WinHttpTransport : public ServiceTransport {
 public:
  explicit WinHttpTransport(const ServiceSettings& settings)
      : host_(sys::win32::Widen(settings.host)), buffer_(kReadBytes) {
    if (!settings.caFile.empty()) {
      roots_.h = ReadCaFile(settings.caFile);
    }
    session_.Reset(WinHttpOpen(L"TavroClient", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                               WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session_) {
      throw std::runtime_error("WinHTTP cannot start: " + sys::win32::LastErrorText());
    }
    WinHttpSetTimeouts(session_.get(), 0, static_cast<int>(kConnectTimeoutMs),
                       static_cast<int>(kSendTimeoutMs), static_cast<int>(kReceiveTimeoutMs));
    // TLS 1.2 or later, which the service requires (Windows 7 offers TLS 1.0 alone by
    // default); TLS 1.3 where the system has it.
    DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | kTls13;
    if (!WinHttpSetOption(session_.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols,
                          sizeof protocols)) {
      protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
      WinHttpSetOption(session_.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols,
                       sizeof protocols);
    }
    connection_.Reset(WinHttpConnect(session_.get(), host_.c_str(),
                                     static_cast<INTERNET_PORT>(settings.port), 0));
    if (!connection_) {
      throw std::runtime_error("WinHTTP cannot address the bank service " + settings.where + ": " +
                               sys::win32::LastErrorText());
    }
  }

  ServiceReply Post(const ServiceRequest& request, const ServiceBodyReader& body) override {
    ServiceReply reply;
    for (int round = 0; round < kCheckedConnectionRounds; ++round) {
      bool needsChecked = false;
      reply = Exchange(L"POST", request, body, true, needsChecked);
      if (!needsChecked) {
        return reply;
      }
      std::string why;
      if (!Probe(why)) {
        reply = ServiceReply{};
        reply.unsent = true;
        reply.why = why;
        return reply;
      }
    }
    reply = ServiceReply{};
    reply.unsent = true;
    reply.why = "no connection to it stayed open to be checked";
    return reply;
  }

  void Random(std::span<unsigned char, 16> bytes) override {
    if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, bytes.data(), static_cast<ULONG>(bytes.size()),
                                        BCRYPT_USE_SYSTEM_PREFERRED_RNG))) {
      throw std::runtime_error("no random request id");
    }
  }

 private:
  // A connection for the requests with a secret: a request that carries nothing opens
  // it, its certificate is checked before that request is sent, and its answer is read
  // whole so that WinHTTP keeps the connection for the next request. False, with why,
  // when the service cannot be trusted or reached.
  bool Probe(std::string& why) {
    bool unused = false;
    const ServiceRequest nothing{"/", {}, {}};
    const ServiceReply reply = Exchange(
        L"GET", nothing, [](int, std::string_view) { return true; }, false, unused);
    if (!reply.complete) {
      why = reply.why;
      return false;
    }
    return true;
  }

  // One request and its answer. needsChecked: a request with a secret met a new
  // connection its strict check refused (nothing was sent); a probe opens a checked one.
  ServiceReply Exchange(const wchar_t* verb, const ServiceRequest& request,
                        const ServiceBodyReader& body, bool secret, bool& needsChecked) {
    ServiceReply reply;
    needsChecked = false;
    InternetHandle handle(WinHttpOpenRequest(
        connection_.get(), verb, sys::win32::Widen(request.path).c_str(), nullptr,
        WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE));
    if (!handle) {
      reply.unsent = true;
      reply.why = "no request: " + sys::win32::LastErrorText();
      return reply;
    }
    DWORD disabled = WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_COOKIES;
    WinHttpSetOption(handle.get(), WINHTTP_OPTION_DISABLE_FEATURE, &disabled, sizeof disabled);
    if (!secret) {
      // The service answers a probe at once; a server whose certificate was refused
      // (which under Wine still gets it) is not waited for long.
      WinHttpSetTimeouts(handle.get(), 0, static_cast<int>(kConnectTimeoutMs),
                         static_cast<int>(kProbeTimeoutMs), static_cast<int>(kProbeTimeoutMs));
    }
    CertificateCheck check{roots_.h, &host_, &lastTrusted_, secret, false, {}};
    if (roots_.h != nullptr) {
      DWORD flags = SECURITY_FLAG_IGNORE_UNKNOWN_CA;
      if (!WinHttpSetOption(handle.get(), WINHTTP_OPTION_SECURITY_FLAGS, &flags, sizeof flags) ||
          WinHttpSetStatusCallback(handle.get(), OnRequestStatus,
                                   WINHTTP_CALLBACK_STATUS_CONNECTING_TO_SERVER |
                                       WINHTTP_CALLBACK_STATUS_SENDING_REQUEST,
                                   0) == WINHTTP_INVALID_STATUS_CALLBACK) {
        reply.unsent = true;
        reply.why = "the bank's own CA cannot be checked: " + sys::win32::LastErrorText();
        return reply;
      }
    }
    std::wstring headers;
    for (const auto& [name, value] : request.headers) {
      headers += sys::win32::Widen(name) + L": " + sys::win32::Widen(value) + L"\r\n";
    }
    const auto size = static_cast<DWORD>(request.body.size());
    const BOOL sent = WinHttpSendRequest(
        handle.get(), headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : headers.c_str(),
        static_cast<DWORD>(headers.size()), const_cast<char*>(request.body.data()), size, size,
        roots_.h != nullptr ? reinterpret_cast<DWORD_PTR>(&check) : 0);
    const DWORD sendError = sent ? ERROR_SUCCESS : GetLastError();
    if (!check.refusal.empty()) {
      handle.Forget();  // the callback closed it
      reply.unsent = true;
      reply.why = check.refusal;
      return reply;
    }
    if (!sent) {
      needsChecked = secret && check.newConnection && IsCertificateFailure(sendError);
      reply.why = WinHttpText(sendError, reply.unsent);
      return reply;
    }
    if (!WinHttpReceiveResponse(handle.get(), nullptr)) {
      bool unsent = false;
      reply.why = WinHttpText(GetLastError(), unsent);
      return reply;
    }
    DWORD status = 0;
    DWORD statusSize = sizeof status;
    if (!WinHttpQueryHeaders(handle.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &statusSize,
                             WINHTTP_NO_HEADER_INDEX)) {
      reply.why = "no HTTP status";
      return reply;
    }
    reply.status = static_cast<int>(status);
    for (;;) {
      DWORD got = 0;
      if (!WinHttpReadData(handle.get(), buffer_.data(), kReadBytes, &got)) {
        bool unsent = false;
        reply.why = "the connection broke while reading: " + WinHttpText(GetLastError(), unsent);
        return reply;
      }
      if (got == 0) {
        reply.complete = true;
        return reply;
      }
      if (!body(reply.status, std::string_view(buffer_.data(), got))) {
        reply.why = "reading stopped";
        return reply;
      }
    }
  }

  // WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3, which older headers lack.
  static constexpr DWORD kTls13 = 0x00002000;

  std::wstring host_;
  StoreHandle roots_;
  InternetHandle session_;
  InternetHandle connection_;
  std::vector<BYTE> lastTrusted_;
  std::vector<char> buffer_;
};

}  // namespace

struct ServiceClient::State {
  ServiceSession session;
  std::unique_ptr<WinHttpTransport> transport;
};

ServiceClient::ServiceClient(const std::string& url) : state_(std::make_unique<State>()) {
  State& state = *state_;
  state.session.settings = ServiceSettingsFrom(url, Environment);
  state.session.password = ReadPasswordFile(state.session.settings.passwordFile);
  state.transport = std::make_unique<WinHttpTransport>(state.session.settings);
}

ServiceClient::~ServiceClient() = default;

Outcome ServiceClient::IntoBuffer(std::string_view raw, char* result, std::int32_t capacity) {
  return CommandIntoBuffer(*state_->transport, state_->session, raw, result, capacity);
}

Outcome ServiceClient::IntoFile(std::string_view raw, const char* file) {
  return CommandIntoFile(*state_->transport, state_->session, raw, file);
}

}  // namespace host
