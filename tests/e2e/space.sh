#!/usr/bin/env bash
# Whole runs of the free-space checks with a stand-in df: each stop with its
# message (in the languages LANG selects), the boundaries that pass, and size
# files that are missing or hold a negative or infinite number. The medium
# asks for 1000 (install) and 500 (work area): with the margin of 40 the
# needs are 1040 and 540.
# shellcheck source=tests/e2e/lib.sh disable=SC2034 # messages are read as ${!msg}
. "$(dirname "$0")/lib.sh"

MEDIUM=$(make_medium whole --whole --isize 1000 --tsize 500)
MSG49_EN='There isn'\''t enough space in %s to perform the installation activities. The temporary work area should be at least %e bytes. Restart the installation procedure using a work area that has enough space. \nie: 1. Use /new_work_area_path in place of /tmp\n    2. Run `setup /new_work_area_path`\n'
MSG49_FR='Il n'\''y a pas suffisamment d'\''espace dans %s pour effectuer l'\''installation. La zone de travail temporaire n\xe9cessite au moins %e octets. Relancez la proc\xe9dure d'\''installation en utilisant une zone de travail qui a suffisamment d'\''espace. \np. ex.: 1. Utilisez /nouveau_chemin_zone_travail au lieu de /tmp\n    2. Ex\xe9cutez `setup /nouveau_chemin_zone_travail`\n'
MSG49_PT='N\xe3o h\xe1 espa\xe7o suficiente em %s para executar as atividades de instala\xe7\xe3o. A \xe1rea de trabalho tempor\xe1ria deve ter pelo menos %e bytes. Reinicie o procedimento de instala\xe7\xe3o usando uma \xe1rea de trabalho com espa\xe7o suficiente. \nie: 1. Utilize o /caminho_nova_\xe1rea_trabalho em vez de /tmp\n    2. Execute `configura\xe7\xe3o /caminho_nova_\xe1rea_trabalho`\n'
MSG55_EN='There isn'\''t enough space in %s to perform the installation activities. The install area should be at least %e bytes. Restart the installation procedure using an install area that has enough space. \nie: 1. Use /new_install_path in place of the default location\n    2. Run '\''setup install /new_install_path'\''\n'
MSG55_DE='%s enth\xe4lt nicht gen\xfcgend Kapazit\xe4t zur Durchf\xfchrung der Installationsvorg\xe4nge. Der Installationsbereich sollte mindestens %e Bytes umfassen. Das Installationsverfahren in einem Arbeitsbereich mit der erforderlichen Kapazit\xe4t erneut beginnen. \nz. B.: 1. /neuer_Installations_Pfad anstelle der Standardposition verwenden\n     2. `setup installieren /neuer_Installations_Pfad` ausf\xfchren\n'
MSG56_EN='There isn'\''t enough space to perform the installation activities. As you are using a working directory, %s on the same partition as the install directory you have selected, %s this install requires %e bytes free. Please re-run the install specifing a different location for a working directory or install directory. Please see the readme if you need help with the syntax.'
MSG4_EN='There isn'\''t enough space in %s to perform the installation activities. Free some space there or choose another install area.\n'
MSG65_EN='Could not determine how much space needed for install, missing isize.\n'

# NAME|SEED (bash)|LANG|MESSAGE ARGUMENTS (empty: the installation passes).
# The work area is tested first; pr_BR is the last language code; de_DE is
# no code and means English; a probe of 17 or less means a full install area.
while IFS='|' read -r name seed lang msg args; do
    fresh
    SEED=$(eval "$seed")
    [ -z "$lang" ] || ENVS=("LANG=$lang")
    run "$name"
    expect_status 0
    if [ -z "$msg" ]; then
        expect_node $A/vsf f 4755
        expect_dots_of_full_run
        continue
    fi
    # shellcheck disable=SC2086 # the arguments are words
    want=$(printf "${!msg}" $args; printf x)
    expect_eq "standard output" "$OUT" "${want%x}"
    expect_eq "log" "$LOG" "$FIRST_LINE_ONLY"
    expect_absent $W /usr/Varen
done <<'CASES'
work_short|seed_df 539 100||MSG49_EN|/tmp/VarenInstall 540
work_short_french|seed_df 539 5000|fr_FR.ISO8859-1|MSG49_FR|/tmp/VarenInstall 540
work_short_portuguese|seed_df 539 5000|pr_BR|MSG49_PT|/tmp/VarenInstall 540
work_short_de_DE|seed_df 539 5000|de_DE.UTF-8|MSG49_EN|/tmp/VarenInstall 540
install_short|seed_df 540 1039||MSG55_EN|/usr 1040
install_short_german|seed_df 540 1039|ge_GE|MSG55_DE|/usr 1040
shared_short|seed_df 0 1579 shared||MSG56_EN|/tmp/VarenInstall /usr 1580
probe_full|seed_df 5000 17||MSG4_EN|/usr
size_file_missing|echo rm /mnt/cd/isize||MSG65_EN|
size_file_negative|echo "echo -1 >/mnt/cd/isize"||MSG65_EN|
size_file_infinite|echo "echo inf >/mnt/cd/tsize"||MSG65_EN|
separate_exact|seed_df 540 1040|||
shared_exact|seed_df 0 1580 shared|||
CASES

finish
