#!/usr/bin/env bash
# Makes a test certificate authority and the server certificates the TLS
# tests present, into DIR: localhost (good), other (names another server),
# self (self-signed), expired (localhost, out of date), large and huge (for
# localhost, padded to about 80 KB and 200 KB: a flight within the client's
# limit of 128 KB and one past it); each NAME.pem holds
# the certificate and the authority's, NAME.key its key. bundle.crt is the
# machine's CA bundle plus the test authority, for trust-test-authority.sh.
set -euo pipefail
dir=$1
mkdir -p "$dir"
cd "$dir"

template() {  # template FILE LINES...
    local file=$1
    shift
    printf '%s\n' "$@" >"$file"
}

certtool --generate-privkey --key-type=rsa --bits=2048 --outfile ca.key 2>/dev/null
template ca.tmpl 'cn = "Talvo Test Authority"' 'ca' 'cert_signing_key' 'expiration_days = 2'
certtool --generate-self-signed --load-privkey ca.key --template ca.tmpl --outfile ca.pem 2>/dev/null

server() {  # server NAME SIGNER EXTRA-TEMPLATE-LINES...
    local name=$1 signer=$2
    shift 2
    certtool --generate-privkey --key-type=rsa --bits=2048 --outfile "$name.key" 2>/dev/null
    template "$name.tmpl" "cn = \"$name\"" 'tls_www_server' 'encryption_key' 'signing_key' "$@"
    if [ "$signer" = self ]; then
        certtool --generate-self-signed --load-privkey "$name.key" --template "$name.tmpl" \
                 --outfile "$name.pem" 2>/dev/null
    else
        certtool --generate-certificate --load-privkey "$name.key" --load-ca-certificate ca.pem \
                 --load-ca-privkey ca.key --template "$name.tmpl" --outfile "$name.crt" 2>/dev/null
        cat "$name.crt" ca.pem >"$name.pem"
    fi
}

server localhost ca 'dns_name = "localhost"' 'expiration_days = 2'
server other ca 'dns_name = "other.example"' 'expiration_days = 2'
server self self 'dns_name = "localhost"' 'expiration_days = 2'
server expired ca 'dns_name = "localhost"' 'activation_date = "2020-01-01 00:00:00 UTC"' \
       'expiration_date = "2020-02-01 00:00:00 UTC"'

# certtool takes no long extension: openssl signs these, padded by a comment.
padded() {  # padded NAME BYTES
    local name=$1
    openssl req -new -newkey rsa:2048 -nodes -keyout "$name.key" -subj "/CN=$name" -out "$name.csr" 2>/dev/null
    {
        echo 'subjectAltName = DNS:localhost'
        echo 'keyUsage = digitalSignature, keyEncipherment'
        echo 'extendedKeyUsage = serverAuth'
        printf 'nsComment = "%s"\n' "$(head -c "$2" /dev/zero | tr '\0' x)"
    } >"$name.ext"
    openssl x509 -req -in "$name.csr" -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile "$name.ext" \
            -out "$name.crt" 2>/dev/null
    cat "$name.crt" ca.pem >"$name.pem"
}

padded large 80000
padded huge 200000

cat /etc/ssl/certs/ca-certificates.crt ca.pem >bundle.crt
