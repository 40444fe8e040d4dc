#include <windows.h>

#include <wincrypt.h>

#include <vector>

#include "winaccess.h"

namespace winaccess {
namespace {

struct CertStoreCloser {
  HCERTSTORE store;
  ~CertStoreCloser() {
    if (store != nullptr) ::CertCloseStore(store, 0);
  }
};
struct CryptMsgCloser {
  HCRYPTMSG msg;
  ~CryptMsgCloser() {
    if (msg != nullptr) ::CryptMsgClose(msg);
  }
};
struct CertContextFreer {
  PCCERT_CONTEXT cert;
  ~CertContextFreer() {
    if (cert != nullptr) ::CertFreeCertificateContext(cert);
  }
};

}  // namespace

std::wstring GetSignerName(const std::wstring& path) {
  DisableWow64Redirection();
  DWORD encoding = 0, contentType = 0, formatType = 0;
  HCERTSTORE store = nullptr;
  HCRYPTMSG msg = nullptr;
  if (!::CryptQueryObject(CERT_QUERY_OBJECT_FILE, path.c_str(), CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                          CERT_QUERY_FORMAT_FLAG_BINARY, 0, &encoding, &contentType, &formatType, &store, &msg,
                          nullptr)) {
    return {};
  }
  CertStoreCloser storeGuard{store};
  CryptMsgCloser msgGuard{msg};

  DWORD size = 0;
  if (!::CryptMsgGetParam(msg, CMSG_SIGNER_INFO_PARAM, 0, nullptr, &size) || size == 0) return {};
  std::vector<BYTE> buffer(size);
  if (!::CryptMsgGetParam(msg, CMSG_SIGNER_INFO_PARAM, 0, buffer.data(), &size)) return {};
  const auto* signer = reinterpret_cast<const CMSG_SIGNER_INFO*>(buffer.data());

  CERT_INFO info{};
  info.Issuer = signer->Issuer;
  info.SerialNumber = signer->SerialNumber;
  PCCERT_CONTEXT cert = ::CertFindCertificateInStore(store, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0,
                                                     CERT_FIND_SUBJECT_CERT, &info, nullptr);
  if (cert == nullptr) return {};
  CertContextFreer certGuard{cert};

  const DWORD chars = ::CertGetNameStringW(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
  if (chars <= 1) return {};
  std::vector<wchar_t> name(chars, L'\0');
  ::CertGetNameStringW(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name.data(), chars);
  return std::wstring(name.data());  // CertGetNameStringW always terminates
}

}  // namespace winaccess
