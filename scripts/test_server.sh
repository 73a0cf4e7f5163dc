#!/usr/bin/env bash
# A private PostgreSQL server for the tests and benchmarks, never a system one.
#
#   scripts/test_server.sh start DIR   creates a cluster in DIR (an empty
#                                      folder), starts it listening on a Unix
#                                      socket in DIR and, with TLS, on
#                                      127.0.0.1 at a free port, and prints
#                                      the variables that point the tests at
#                                      it (for eval)
#   scripts/test_server.sh stop DIR    stops it and removes DIR
#
# The server runs as an unprivileged user: as the caller, or as "nobody" when
# the caller is root. Logins take a password (scram-sha-256): the role
# "hourvane" finds its own in the password file DIR/pgpass; the role
# "hourvane_prompt" has none there, for the tests of the password box. The
# role "hourvane" may create roles (as the owner of a team's tables does to
# make its groups of rights); "hourvane_anna" and "hourvane_ben" are logins of
# no rights of their own, to be given some, with their passwords in the file.
#
# TLS: a certificate authority made for the run (DIR/tls/ca.crt) signs the
# server's certificate for the name hourvane-server.test, which no resolver
# knows: tests reach it as host=hourvane-server.test with hostaddr=127.0.0.1.
# A second authority (DIR/tls/other-ca.crt) signs nothing, for the tests of a
# wrong one.
set -euo pipefail

command=${1:-}
dir=${2:-}
if [ -z "$command" ] || [ -z "$dir" ]; then
  echo "usage: $0 start|stop DIR" >&2
  exit 2
fi

# The server's user may not enter the caller's folder: work from the root.
dir=$(realpath -m -- "$dir")
cd /

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
if [ -z "$bindir" ]; then
  echo "PostgreSQL server programs not found (Debian package postgresql)" >&2
  exit 1
fi
tls_host=hourvane-server.test

as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u nobody -- "$@"
  else
    "$@"
  fi
}

case "$command" in
start)
  mkdir -p "$dir"
  [ "$(id -u)" -eq 0 ] && chown nobody: "$dir"
  chmod 700 "$dir"
  admin_password=$(od -An -N12 -tx1 /dev/urandom | tr -d ' \n')
  user_password=$(od -An -N12 -tx1 /dev/urandom | tr -d ' \n')
  prompt_password=$(od -An -N12 -tx1 /dev/urandom | tr -d ' \n')
  anna_password=$(od -An -N12 -tx1 /dev/urandom | tr -d ' \n')
  ben_password=$(od -An -N12 -tx1 /dev/urandom | tr -d ' \n')
  as_owner sh -c "umask 077; printf '%s\n' '$admin_password' > '$dir/admin-password'"
  as_owner "$bindir/initdb" -D "$dir/data" -U hourvane_admin --auth=scram-sha-256 \
    --pwfile="$dir/admin-password" -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 \
    || { cat "$dir/initdb.log" >&2; exit 1; }
  # The run's own certificate authorities and the server's key and
  # certificate, owned by the server's user (it refuses a key others can read).
  as_owner sh -c "
    set -e
    umask 077
    mkdir '$dir/tls' && cd '$dir/tls'
    for ca in ca other-ca; do
      openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 \
        -subj \"/CN=Hourvane test \$ca\" -addext 'basicConstraints=critical,CA:TRUE' \
        -addext 'keyUsage=critical,keyCertSign' -keyout \$ca.key -out \$ca.crt
    done
    openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes \
      -subj '/CN=$tls_host' -keyout server.key -out server.csr
    printf 'subjectAltName=DNS:$tls_host\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' > server.ext
    openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 2 \
      -extfile server.ext -out server.crt
    chmod 644 ca.crt other-ca.crt
    chmod 711 .
  " >"$dir/tls.log" 2>&1 || { cat "$dir/tls.log" >&2; exit 1; }
  # A free port on the loopback address (the socket in DIR takes the same number).
  port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-c listen_addresses='127.0.0.1' -c unix_socket_directories='$dir' -p $port -c ssl=on -c ssl_cert_file='$dir/tls/server.crt' -c ssl_key_file='$dir/tls/server.key' -c fsync=off -c full_page_writes=off -c synchronous_commit=off -c max_connections=60" \
    start >/dev/null || { cat "$dir/server.log" >&2; exit 1; }
  PGPASSWORD=$admin_password as_owner "$bindir/psql" -q -v ON_ERROR_STOP=1 -h "$dir" -p $port -U hourvane_admin -d postgres >/dev/null <<SQL
CREATE ROLE hourvane LOGIN CREATEROLE PASSWORD '$user_password';
CREATE ROLE hourvane_prompt LOGIN PASSWORD '$prompt_password';
CREATE ROLE hourvane_anna LOGIN PASSWORD '$anna_password';
CREATE ROLE hourvane_ben LOGIN PASSWORD '$ben_password';
CREATE DATABASE hourvane_test OWNER hourvane;
GRANT ALL ON DATABASE hourvane_test TO hourvane_prompt;
SQL
  PGPASSWORD=$admin_password as_owner "$bindir/psql" -q -v ON_ERROR_STOP=1 -h "$dir" -p $port -U hourvane_admin -d hourvane_test >/dev/null <<SQL
REVOKE CREATE ON SCHEMA public FROM PUBLIC;
GRANT ALL ON SCHEMA public TO hourvane;
SQL
  # The password file of the tests' role, readable by the caller only.
  umask 077
  printf '*:*:*:hourvane:%s\n*:*:*:hourvane_anna:%s\n*:*:*:hourvane_ben:%s\n' \
    "$user_password" "$anna_password" "$ben_password" >"$dir/pgpass"
  [ "$(id -u)" -eq 0 ] && chown root: "$dir/pgpass"
  echo "export HOURVANE_TEST_SERVER='postgresql://hourvane@/hourvane_test?host=$dir&port=$port'"
  echo "export HOURVANE_TEST_SERVER_PROMPT='postgresql://hourvane_prompt@/hourvane_test?host=$dir&port=$port'"
  echo "export HOURVANE_TEST_SERVER_PROMPT_PASSWORD='$prompt_password'"
  echo "export HOURVANE_TEST_SERVER_LOGINS='hourvane_anna,hourvane_ben'"
  echo "export PGPASSFILE='$dir/pgpass'"
  echo "export HOURVANE_TEST_SERVER_TLS_HOST='$tls_host'"
  echo "export HOURVANE_TEST_SERVER_TLS_PORT='$port'"
  echo "export HOURVANE_TEST_SERVER_CA='$dir/tls/ca.crt'"
  echo "export HOURVANE_TEST_SERVER_OTHER_CA='$dir/tls/other-ca.crt'"
  ;;
stop)
  if [ -f "$dir/data/postmaster.pid" ]; then
    as_owner "$bindir/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  rm -rf -- "$dir"
  ;;
*)
  echo "usage: $0 start|stop DIR" >&2
  exit 2
  ;;
esac
