#!/usr/bin/env bash
# Whole runs of the free-space checks with a stand-in df: each stop with its
# message (in the languages LANG selects), the boundary that passes, and
# size files that are missing or hold a negative or infinite number. The medium asks for 1000 (install) and 500 (work area),
# so with the margin of 40 the needs are 1040 and 540.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"

MEDIUM=$(make_medium whole --whole --isize 1000 --tsize 500)
FIRST_LINE_ONLY="initializing system
"

MSG49_EN='There isn'\''t enough space in %s to perform the installation activities. The temporary work area should be at least %e bytes. Restart the installation procedure using a work area that has enough space. \nie: 1. Use /new_work_area_path in place of /tmp\n    2. Run `setup /new_work_area_path`\n'
MSG49_FR='Il n'\''y a pas suffisamment d'\''espace dans %s pour effectuer l'\''installation. La zone de travail temporaire n\xe9cessite au moins %e octets. Relancez la proc\xe9dure d'\''installation en utilisant une zone de travail qui a suffisamment d'\''espace. \np. ex.: 1. Utilisez /nouveau_chemin_zone_travail au lieu de /tmp\n    2. Ex\xe9cutez `setup /nouveau_chemin_zone_travail`\n'
MSG49_PT='N\xe3o h\xe1 espa\xe7o suficiente em %s para executar as atividades de instala\xe7\xe3o. A \xe1rea de trabalho tempor\xe1ria deve ter pelo menos %e bytes. Reinicie o procedimento de instala\xe7\xe3o usando uma \xe1rea de trabalho com espa\xe7o suficiente. \nie: 1. Utilize o /caminho_nova_\xe1rea_trabalho em vez de /tmp\n    2. Execute `configura\xe7\xe3o /caminho_nova_\xe1rea_trabalho`\n'
MSG55_EN='There isn'\''t enough space in %s to perform the installation activities. The install area should be at least %e bytes. Restart the installation procedure using an install area that has enough space. \nie: 1. Use /new_install_path in place of the default location\n    2. Run '\''setup install /new_install_path'\''\n'
MSG55_DE='%s enth\xe4lt nicht gen\xfcgend Kapazit\xe4t zur Durchf\xfchrung der Installationsvorg\xe4nge. Der Installationsbereich sollte mindestens %e Bytes umfassen. Das Installationsverfahren in einem Arbeitsbereich mit der erforderlichen Kapazit\xe4t erneut beginnen. \nz. B.: 1. /neuer_Installations_Pfad anstelle der Standardposition verwenden\n     2. `setup installieren /neuer_Installations_Pfad` ausf\xfchren\n'
MSG56_EN='There isn'\''t enough space to perform the installation activities. As you are using a working directory, %s on the same partition as the install directory you have selected, %s this install requires %e bytes free. Please re-run the install specifing a different location for a working directory or install directory. Please see the readme if you need help with the syntax.'
MSG4_EN='There isn'\''t enough space in %s to perform the installation activities. Free some space there or choose another install area.\n'
MSG65_EN='Could not determine how much space needed for install, missing isize.\n'

# expect_stop FORMAT ARG...: the run stopped before any change with exactly
# this message on standard output.
expect_stop() {
    local want
    # shellcheck disable=SC2059 # the message text is the format
    want=$(printf "$@"; printf x)
    expect_status 0
    expect_eq "standard output" "$OUT" "${want%x}"
    expect_eq "log" "$LOG" "$FIRST_LINE_ONLY"
    expect_absent /tmp/VarenInstall
    expect_absent /usr/Varen
}

# Separate file systems, the work area one short (the install side short as
# well: the work-area test comes first).
fresh
SEED=$(seed_df 539 100)
run work_short
expect_stop "$MSG49_EN" /tmp/VarenInstall 540

fresh
SEED=$(seed_df 539 5000)
ENVS=(LANG=fr_FR.ISO8859-1)
run work_short_french
expect_stop "$MSG49_FR" /tmp/VarenInstall 540

# pr_BR is the last language code; de_DE is not a code and means English.
fresh
SEED=$(seed_df 539 5000)
ENVS=(LANG=pr_BR)
run work_short_portuguese
expect_stop "$MSG49_PT" /tmp/VarenInstall 540

fresh
SEED=$(seed_df 539 5000)
ENVS=(LANG=de_DE.UTF-8)
run work_short_de_DE
expect_stop "$MSG49_EN" /tmp/VarenInstall 540

# The work area has exactly enough, the install area one short.
fresh
SEED=$(seed_df 540 1039)
run install_short
expect_stop "$MSG55_EN" /usr 1040

fresh
SEED=$(seed_df 540 1039)
ENVS=(LANG=ge_GE)
run install_short_german
expect_stop "$MSG55_DE" /usr 1040

# One file system, one short of both needs together.
fresh
SEED=$(seed_df 0 1579 shared)
run shared_short
expect_stop "$MSG56_EN" /tmp/VarenInstall /usr 1580

# The nearest existing directory of the install location has 17 or less.
fresh
SEED=$(seed_df 5000 17)
run probe_full
expect_stop "$MSG4_EN" /usr

# A missing size file, and numbers no room can be reckoned from.
for c in "missing|rm /mnt/cd/isize" "negative|echo -1 >/mnt/cd/isize" "infinite|echo inf >/mnt/cd/tsize"; do
    fresh
    SEED=${c#*|}
    run "size_file_${c%%|*}"
    expect_stop "$MSG65_EN"
done

# Exactly enough passes, on two file systems and on one.
fresh
SEED=$(seed_df 540 1040)
run separate_exact
expect_status 0
expect_node /usr/Varen/tvxx/vsf f 4755
expect_dots_of_full_run

fresh
SEED=$(seed_df 0 1580 shared)
run shared_exact
expect_status 0
expect_node /usr/Varen/tvxx/vsf f 4755
expect_dots_of_full_run

finish
