#!/bin/sh
# Fails when the program imports an ANSI ("...A") function of Windows other than the few that the
# compiler's own runtime (C runtime start-up, threads, exceptions) brings in: every name the
# program hands to the system goes in its wide form.
# usage: check_imports.sh OBJDUMP PROGRAM
set -eu
allowed="CreateEventA CreateSemaphoreA FormatMessageA GetModuleHandleA LoadLibraryA OutputDebugStringA"
imports=$("$1" -p "$2" | sed -n '/The Import Tables/,/The Export Tables/p' |
    awk '/DLL Name/ {dll = $3} /^\t[0-9a-f]+\t/ {print dll ":" $3}')
[ -n "$imports" ] || { echo "no imports read from $2"; exit 1; }
bad=0
for entry in $imports; do
    name=${entry#*:}
    case "$name" in *[a-z0-9]A) ;; *) continue ;; esac
    case " $allowed " in *" $name "*) continue ;; esac
    echo "ANSI import: $entry"
    bad=1
done
[ "$bad" = 0 ] && echo "imports: no ANSI function beyond the runtime's own ($allowed)"
exit "$bad"
