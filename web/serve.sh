#!/usr/bin/env bash
# Serves the form pages and both programs with lighttpd on 127.0.0.1, in the
# foreground (Ctrl-C stops it). Everything the server needs is generated in
# a server folder from this checkout and its build:
#   web/serve.sh [PORT]   (default 8080)
# Environment: QUARROW_DATA_ROOT (runs to read) and QUARROW_RESULTS_ROOT
# (where the requests' peak lists and logs go), both required here;
# QUARROW_BUILD_DIR (default build), QUARROW_SERVER_DIR (default
# <build>/web-server). Installed by cmake --install (PREFIX/share/quarrow/web/),
# it serves the programs of PREFIX/bin instead, from a new temporary server
# folder unless QUARROW_SERVER_DIR names one.
set -euo pipefail
checkout=$(cd "$(dirname "$0")/.." && pwd)
port=${1:-8080}
fail() { echo "serve.sh: $*" >&2; exit 1; }
if [ -f "$checkout/CMakeLists.txt" ]; then
    build=$(realpath "${QUARROW_BUILD_DIR:-$checkout/build}")
    server=${QUARROW_SERVER_DIR:-$build/web-server}
    launcher=$build/web/launcher/quarrow-launch
    yepharvest=$build/yepharvest/yepharvest wiffharvest=$build/wiffharvest/wiffharvest
    report=$build/tools/quarrow-report keys=$build/tools/quarrow-keys
else
    bin=$(realpath "$checkout/../../bin") || fail "no folder of programs beside $checkout"
    server=${QUARROW_SERVER_DIR:-$(mktemp -d "${TMPDIR:-/tmp}/quarrow-web-server-XXXXXX")}
    launcher=$bin/quarrow-launch yepharvest=$bin/yepharvest wiffharvest=$bin/wiffharvest report=$bin/quarrow-report
    keys=$bin/quarrow-keys
fi

[[ $port =~ ^[0-9]+$ ]] && [ "$port" -ge 1 ] && [ "$port" -le 65535 ] || fail "no port: $port"
[ -n "${QUARROW_DATA_ROOT:-}" ] || fail "QUARROW_DATA_ROOT is not set"
[ -n "${QUARROW_RESULTS_ROOT:-}" ] || fail "QUARROW_RESULTS_ROOT is not set"
[ -d "$QUARROW_DATA_ROOT" ] || fail "QUARROW_DATA_ROOT is no folder: $QUARROW_DATA_ROOT"
mkdir -p "$QUARROW_RESULTS_ROOT" "$server"
[ -x "$launcher" ] || fail "no launcher at $launcher: build the target quarrow-launch"
[ -x "$keys" ] || fail "no key listing at $keys: build the target quarrow-keys"
# Each peak-list format's ending and media type, from the programs' format table.
peak_list_types=$("$keys" --formats --tsv | awk -F '\t' 'NR > 1 { printf "    \"%s\" => \"%s\",\n", $2, $4 }')
[ -n "$peak_list_types" ] || fail "$keys listed no peak-list format"
# Debian installs it in /usr/sbin, which a user's PATH may leave out.
lighttpd=$(PATH=$PATH:/usr/sbin command -v lighttpd) || fail "lighttpd is not installed"

# The server follows no symbolic link, so every path it is given is the real one.
data_root=$(realpath "$QUARROW_DATA_ROOT")
results_root=$(realpath "$QUARROW_RESULTS_ROOT")
server=$(realpath "$server")
for path in "$data_root" "$results_root" "$server"; do
    [[ $path != *[\"\\]* ]] || fail "a path with a quote or backslash cannot go into the server configuration: $path"
done

rm -rf "$server/htdocs" "$server/cgi-bin" "$server/programs" "$server/work"
mkdir -p "$server/htdocs" "$server/cgi-bin" "$server/programs" "$server/work"
cp -r "$checkout/web/htdocs/." "$server/htdocs/"
cp -r "$checkout/msparams_quarrow" "$server/work/"
for name in yepharvest wiffharvest results; do cp "$launcher" "$server/cgi-bin/$name"; done
# A program built later is served without a restart; one never built gets a
# clear page from the launcher, and without the report tool the run pages
# say that there is no report.
ln -sfn "$yepharvest" "$server/programs/yepharvest"
ln -sfn "$wiffharvest" "$server/programs/wiffharvest"
ln -sfn "$report" "$server/programs/quarrow-report"

cat > "$server/lighttpd.conf" <<CONF
server.modules = ("mod_alias", "mod_rewrite", "mod_setenv", "mod_cgi")
server.bind = "127.0.0.1"
server.port = $port
server.document-root = "$server/htdocs"
server.follow-symlink = "disable"
server.stream-response-body = 2
index-file.names = ("index.html")
alias.url = ("/cgi-bin/" => "$server/cgi-bin/", "/results/" => "$results_root/")
# The forms are made by the launcher when they are asked for, with the runs
# there are then; the old page names still lead to them.
url.rewrite-once = ("^/(yepharvest|wiffharvest)\\.html\$" => "/cgi-bin/\$1")
\$HTTP["url"] =~ "^/cgi-bin/" { cgi.assign = ("" => "") }
setenv.add-environment = (
    "QUARROW_DATA_ROOT" => "$data_root",
    "QUARROW_RESULTS_ROOT" => "$results_root",
    "QUARROW_PROGRAM_DIR" => "$server/programs",
    "QUARROW_WORK_DIR" => "$server/work",
)
mimetype.assign = (
    ".html" => "text/html; charset=utf-8",
    ".htm" => "text/html; charset=utf-8",
    ".css" => "text/css",
    ".png" => "image/png",
$peak_list_types
    ".txt" => "text/plain; charset=utf-8",
    "" => "text/plain; charset=utf-8",
)
# Under the results root only the pages our own tools make are pages: the
# run reports and a workflow's overview, which escape every text they take
# from the logs. Everything else there (logs, peak lists, a program's
# Peak-Picker page) holds what the runs hold, and is sent as text.
\$HTTP["url"] =~ "^/results/" {
    mimetype.assign = ("" => "text/plain; charset=utf-8")
    setenv.add-response-header = ("X-Content-Type-Options" => "nosniff")
}
\$HTTP["url"] =~ "^/results/([^/]+|runs/[^/]+)/report\\.html\$|^/results/index\\.html\$" {
    mimetype.assign = (".html" => "text/html; charset=utf-8", "" => "text/plain; charset=utf-8")
}
CONF

echo "Velmora Quarrow: http://127.0.0.1:$port/  (data root $data_root, results root $results_root; Ctrl-C stops)"
exec "$lighttpd" -D -f "$server/lighttpd.conf"
