#!/usr/bin/env bash
# A private PostgreSQL server for the tests and benchmarks, never a system one.
#
#   scripts/test_server.sh start DIR   creates a cluster in DIR (an empty
#                                      folder), starts it listening only on a
#                                      Unix socket in DIR, and prints the
#                                      variables that point the tests at it
#                                      (for eval)
#   scripts/test_server.sh stop DIR    stops it and removes DIR
#
# The server runs as an unprivileged user: as the caller, or as "nobody" when
# the caller is root. Logins take a password (scram-sha-256): the role
# "hourvane" finds its own in the password file DIR/pgpass; the role
# "hourvane_prompt" has none there, for the tests of the password box.
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
port=54329

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
  as_owner sh -c "umask 077; printf '%s\n' '$admin_password' > '$dir/admin-password'"
  as_owner "$bindir/initdb" -D "$dir/data" -U hourvane_admin --auth=scram-sha-256 \
    --pwfile="$dir/admin-password" -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 \
    || { cat "$dir/initdb.log" >&2; exit 1; }
  # Only the socket in DIR: no TCP port is opened.
  as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-c listen_addresses='' -c unix_socket_directories='$dir' -p $port -c fsync=off -c full_page_writes=off -c synchronous_commit=off -c max_connections=60" \
    start >/dev/null || { cat "$dir/server.log" >&2; exit 1; }
  PGPASSWORD=$admin_password as_owner "$bindir/psql" -q -v ON_ERROR_STOP=1 -h "$dir" -p $port -U hourvane_admin -d postgres >/dev/null <<SQL
CREATE ROLE hourvane LOGIN PASSWORD '$user_password';
CREATE ROLE hourvane_prompt LOGIN PASSWORD '$prompt_password';
CREATE DATABASE hourvane_test OWNER hourvane;
GRANT ALL ON DATABASE hourvane_test TO hourvane_prompt;
SQL
  PGPASSWORD=$admin_password as_owner "$bindir/psql" -q -v ON_ERROR_STOP=1 -h "$dir" -p $port -U hourvane_admin -d hourvane_test >/dev/null <<SQL
REVOKE CREATE ON SCHEMA public FROM PUBLIC;
GRANT ALL ON SCHEMA public TO hourvane;
SQL
  # The password file of the tests' role, readable by the caller only.
  umask 077
  printf '*:*:*:hourvane:%s\n' "$user_password" >"$dir/pgpass"
  [ "$(id -u)" -eq 0 ] && chown root: "$dir/pgpass"
  echo "export HOURVANE_TEST_SERVER='postgresql://hourvane@/hourvane_test?host=$dir&port=$port'"
  echo "export HOURVANE_TEST_SERVER_PROMPT='postgresql://hourvane_prompt@/hourvane_test?host=$dir&port=$port'"
  echo "export HOURVANE_TEST_SERVER_PROMPT_PASSWORD='$prompt_password'"
  echo "export PGPASSFILE='$dir/pgpass'"
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
