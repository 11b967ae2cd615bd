// certadd: puts the bench's throw-away CA into the Wine prefix's trusted roots, or takes it out.
//   certadd add <cert.der>      add to the local machine's Root store (replacing a copy)
//   certadd remove <cert.der>   delete it from that store (no error when it is not there)
//   certadd has <cert.der>      exit code 0 when the store holds it, 1 when not
// WinINet checks a server's chain against the Root store; the local machine's store is the
// one every user of the prefix sees, and Wine asks no confirmation for it.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

class Store {
public:
    Store()
        : store_(CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0,
                               CERT_SYSTEM_STORE_LOCAL_MACHINE | CERT_STORE_OPEN_EXISTING_FLAG,
                               "Root")) {}
    ~Store() {
        if (store_) CertCloseStore(store_, 0);
    }
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;
    HCERTSTORE Get() const { return store_; }

private:
    HCERTSTORE store_;
};

class Certificate {
public:
    explicit Certificate(const std::vector<BYTE>& der)
        : context_(CertCreateCertificateContext(X509_ASN_ENCODING, der.data(),
                                                static_cast<DWORD>(der.size()))) {}
    explicit Certificate(PCCERT_CONTEXT context) : context_(context) {}
    ~Certificate() {
        if (context_) CertFreeCertificateContext(context_);
    }
    Certificate(const Certificate&) = delete;
    Certificate& operator=(const Certificate&) = delete;
    PCCERT_CONTEXT Get() const { return context_; }
    PCCERT_CONTEXT Release() {
        PCCERT_CONTEXT context = context_;
        context_ = nullptr;
        return context;
    }

private:
    PCCERT_CONTEXT context_;
};

bool ReadFileBytes(const char* path, std::vector<BYTE>& bytes) {
    FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    BYTE buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        bytes.insert(bytes.end(), buffer, buffer + got);
    std::fclose(file);
    return !bytes.empty();
}

int Report(const char* what, DWORD error) {
    std::fprintf(stderr, "certadd: %s failed (error %lu)\n", what,
                 static_cast<unsigned long>(error));
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[1], "add") && std::strcmp(argv[1], "remove") &&
                      std::strcmp(argv[1], "has"))) {
        std::fprintf(stderr, "usage: certadd add|remove|has <cert.der>\n");
        return 2;
    }
    std::vector<BYTE> der;
    if (!ReadFileBytes(argv[2], der)) return Report("reading the certificate", GetLastError());
    Certificate wanted(der);
    if (!wanted.Get()) return Report("decoding the certificate", GetLastError());
    Store store;
    if (!store.Get()) return Report("opening the Root store", GetLastError());

    if (!std::strcmp(argv[1], "add")) {
        if (!CertAddCertificateContextToStore(store.Get(), wanted.Get(),
                                              CERT_STORE_ADD_REPLACE_EXISTING, nullptr))
            return Report("adding the certificate", GetLastError());
        return 0;
    }
    Certificate found(CertFindCertificateInStore(store.Get(), X509_ASN_ENCODING, 0,
                                                 CERT_FIND_EXISTING, wanted.Get(), nullptr));
    if (!std::strcmp(argv[1], "has")) return found.Get() ? 0 : 1;
    if (!found.Get()) return 0;
    // The delete frees the context it is given, even when it fails.
    if (!CertDeleteCertificateFromStore(found.Release()))
        return Report("deleting the certificate", GetLastError());
    // Wine writes a delete to the registry only when the store is flushed, and does not
    // flush a system store on closing it after a delete: commit explicitly.
    if (!CertControlStore(store.Get(), 0, CERT_STORE_CTRL_COMMIT, nullptr))
        return Report("committing the delete", GetLastError());
    return 0;
}
