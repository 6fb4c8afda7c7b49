// The installer's message tables: one array of NLS_COUNT texts per language, indexed
// by message id. Texts are ISO 8859-1 (nls.cpp converts them for a UTF-8 LANG); accented letters
// are octal escapes so that the source stays ASCII. Ids that the installer
// does not show hold the empty text.
#include "install/nls.h"

// Bytes of table's texts converted to UTF-8, terminators included: each byte
// from 128 up becomes two.
static constexpr int Utf8Bytes(const char *const *table) {
    int bytes = 0;
    for (int id = 0; id < NLS_COUNT; id++) {
        for (const char *c = table[id]; *c != '\0'; c++) {
            bytes += static_cast<unsigned char>(*c) >= 0x80 ? 2 : 1;
        }
        bytes++;
    }
    return bytes;
}

// True when every one of the NLS_COUNT slots holds a text: a table with too
// few initialisers would leave null slots behind.
static constexpr bool AllTextsPresent(const char *const *table) {
    for (int id = 0; id < NLS_COUNT; id++) {
        if (table[id] == nullptr) {
            return false;
        }
    }
    return true;
}

constexpr const char *NLS_ENGLISH[NLS_COUNT] = {
    /*  0 */ "",
    /*  1 */
    "ERROR: the path %s contains characters that are not allowed. Use only letters, "
    "digits and the characters / . _ - + , = : @ %%\n",
    /*  2 */ "No answer could be read from standard input; the installation is stopped.\n",
    /*  3 */ "ERROR: couldn't open %s",
    /*  4 */
    "There isn't enough space in %s to perform the installation activities. Free "
    "some space there or choose another install area.\n",
    /*  5 */
    "ERROR: the work area %s is not this run's own directory (it could not be "
    "created anew, or it is not a directory of this user closed to others); "
    "nothing is installed.\n",
    /*  6 */
    "ERROR: another installation is under way (%s is locked); try again when it "
    "has ended.\n",
    /*  7 */ "%d step(s) of the installation failed; the first of them, as logged:\n",
    /*  8 */ "Every failure is in the log %s.\n",
    /*  9 */ "the list file %s names a file longer than %d characters: %s",
    /* 10 */ "the list file %s names no file to copy",
    /* 11 */ "the list file %s names %s, which is not a plain file name of its directory",
    /* 12 */ "%s is missing or damaged: it does not match the checksum file %s",
    /* 13 */
    "ERROR: %s (owner %s:%s, mode %s) can be changed by users other than root; "
    "nothing was changed. Every directory from / down to where the installer "
    "works must belong to root (or to the user running it) and be writable by no "
    "one else, unless it is sticky like /tmp. Use another directory, or make "
    "this one root's and closed (chown root:root, chmod go-w).\n",
    /* 14 */
    "ERROR: the lock file %s is not a regular file of root's with one name "
    "(owner %s:%s, mode %s, link count %lu); nothing was changed. Remove it and "
    "start the installer again.\n",
    /* 15 */
    "ERROR: %s is not a directory; nothing was changed.\n",
    /* 16 */
    "ERROR: the lock file %s cannot be made or opened (%s); nothing was changed.\n",
    /* 17 */
    "ERROR: the run was interrupted by %s and has stopped; run %s again to finish the "
    "installation.\n",
    /* 18 */
    "the lpr the system runs and the spooler daemons found do not decide the "
    "spooler: %s says CUPS; write \" LPRng \" into it if LPRng runs the print queues",
    /* 19 */ "",
    /* 20 */ "",
    /* 21 */ "can't open file, %sInstall/disks",
    /* 22 */
    "Usage: %s [WORKDIR] [install BASE] [--medium DIR] [--allow-downgrade] [-v]\n"
    "  WORKDIR       the work area is WORKDIR/VarenInstall (default /tmp/VarenInstall);\n"
    "                WORKDIR is made when missing\n"
    "  install BASE  install into BASE/Varen/tvxx (default: the base of the earlier\n"
    "                installation, else /usr)\n"
    "  --medium DIR  install from the medium in DIR (default: this program's own\n"
    "                directory)\n"
    "  --allow-downgrade\n"
    "                install a release older than the installed one\n"
    "  -v, --version print the version and exit\n"
    "  -h, --help    print this text and exit\n"
    "  --yes, --no   answer yes or no to the question whether to continue\n"
    "  --running=wait, --running=quit\n"
    "                answer the question about running programs of the suite: wait\n"
    "                until they end, or quit (status 4)\n"
    "  --list        print the path of every entry of the recorded installation\n"
    "  --verify      compare the host with the record: a line for each entry that\n"
    "                differs (status 1); status 5 when nothing is recorded\n"
    "  --remove [--purge]\n"
    "                take the recorded installation off the host; with --purge also\n"
    "                what was changed since or put into its directories\n"
    "A directory whose name begins with \"-\" is written ./NAME. Manual: man 8 setup\n",
    /* 23 */
    "ERROR: %s is not an option in this place; a directory whose name begins "
    "with \"-\" is written ./%s\n",
    /* 24 */ " copying the medium ",
    /* 25 */ " checking the medium ",
    /* 26 */ " joining and unpacking ",
    /* 27 */ " installing the files ",
    /* 28 */ " writing the scripts ",
    /* 29 */ " running tvqadmin -upgrade ",
    /* 30 */ "ERROR: there is not enough free space for the installation; nothing was installed.\n",
    /* 31 */ "ERROR: the size file %s is missing or cannot be read; nothing was installed.\n",
    /* 32 */ "ERROR: only root can install; nothing was installed.\n",
    /* 33 */ "The installation was stopped as answered; nothing was installed.\n",
    /* 34 */
    "The installation was stopped as answered while programs of the suite were running: it is "
    "incomplete. Run setup again to complete it.\n",
    /* 35 */
    "%s is logged in\n"
    "You must become root to run %s\n",
    /* 36 */
    "%s is missing: this host installs only media whose checksum file is signed by a key in %s",
    /* 37 */
    "the signature %s does not prove the checksum file: it is bad or damaged, or the checksum file "
    "was changed after it was signed",
    /* 38 */
    "the checksum file %s is signed by a key that this host does not trust (none of the keys in "
    "%s)",
    /* 39 */
    "the directory of trusted keys %s is not safe: it and every directory above it must be a "
    "directory of root's that nobody else may write (chown root DIR; chmod go-w DIR)",
    /* 40 */
    "%s may not stand among the trusted keys: only root's regular files NAME.gpg, NAME made "
    "of letters, digits and . _ - + , = : @ %% only (rename any other, e.g. mv 'media "
    "(1).gpg' media-1.gpg), in binary form, that nobody else may write (gpg --export KEY > "
    "NAME.gpg; for an armored key gpg --dearmor < KEY.asc > NAME.gpg; then chown root "
    "NAME.gpg; chmod 644 NAME.gpg)",
    /* 41 */
    "%s has no line in the checksum file %s, so it cannot be checked",
    /* 42 */
    "ERROR: %s and %s give different answers to the same question; give only one of them.\n",
    /* 43 */
    "ERROR: install must be followed by the base to install into, for instance install /opt.\n",
    /* 44 */
    "%s: write error on standard output: %s\n",
    /* 45 */
    "%s: write error on standard error: %s\n",
    /* 46 */
    "Answered yes by %s: the installation goes on.\n",
    /* 47 */
    "Answered by %s: waiting 30 seconds for these processes to terminate.\n",
    /* 48 */ "",
    /* 49 */
    "There isn't enough space in %s to perform the installation activities. The "
    "temporary work area should be at least %e bytes. Restart the installation "
    "procedure using a work area that has enough space. \n"
    "ie: 1. Use /new_work_area_path in place of /tmp\n"
    "    2. Run `setup /new_work_area_path`\n",
    /* 50 */ "",
    /* 51 */ "",
    /* 52 */ "",
    /* 53 */ "",
    /* 54 */ "",
    /* 55 */
    "There isn't enough space in %s to perform the installation activities. The "
    "install area should be at least %e bytes. Restart the installation procedure "
    "using an install area that has enough space. \n"
    "ie: 1. Use /new_install_path in place of the default location\n"
    "    2. Run 'setup install /new_install_path'\n",
    /* 56 */
    "There isn't enough space to perform the installation activities. As you are "
    "using a working directory, %s on the same partition as the install directory "
    "you have selected, %s this install requires %e bytes free. Please re-run the "
    "install specifing a different location for a working directory or install "
    "directory. Please see the readme if you need help with the syntax.",
    /* 57 */ "",
    /* 58 */ "",
    /* 59 */ "",
    /* 60 */ "failed ts get version",
    /* 61 */ "",
    /* 62 */
    "\n"
    "If you currently have %s printer software installed that uses TolvarD\n"
    "print daemon, you must delete all your %s print queues prior to installing\n"
    "this package.\n"
    "\n"
    "NOTE: TolvarD is located in <install directory>/%s/%s\n",
    /* 63 */
    "\n"
    "Do You want to continue with the installation? [yn] ",
    /* 64 */ "",
    /* 65 */ "Could not determine how much space needed for install, missing isize.\n",
    /* 66 */
    "\n"
    "The following processes are running.\n"
    "The installer can not continue until these terminate:\n",
    /* 67 */ "Would you like to:\n",
    /* 68 */ "1.  Wait 30 seconds for these processes to terminate\n",
    /* 69 */ "2.  Quit the installation\n",
    /* 70 */
    "\n"
    "Enter a selection:  ",
    /* 71 */
    "ERROR: %s (owner %s:%s, mode %s) can be changed by users other than root "
    "through its ACL entry %s; nothing was changed. Every directory from / down "
    "to where the installer works must be writable by root (or the user running "
    "it) alone. Remove the entry (setfacl -x) or use another directory.\n",
    /* 72 */
    "ERROR: %s (owner %s:%s, mode %s) can be changed by members of group root "
    "other than root: %s; nothing was changed. While group root has other "
    "members, no directory the installer works in may be writable by that group. "
    "Close it (chmod g-w) or use another directory.\n",
    /* 73 */
    "ERROR: %s (owner %s:%s, mode %s), which the installer was making, is not its "
    "own: another user made it first or can change it. The installer stopped "
    "before putting anything in it. Remove it, or make it root's and closed, and "
    "run the installer again.\n",
    /* 74 */
    "%s is %s, not a regular file of the medium's directory; nothing was read from it",
    /* 75 */
    "The log %s could not be made or written whole: this run is not fully recorded.\n",
    /* 76 */
    "ERROR: no space left on the file system mounted at %s, where %s was "
    "being copied: the partial copy was removed, the installation in %s is "
    "unchanged.\n",
    /* 77 */
    "ERROR: the work area %s is not "
    "this run's own directory: %s; nothing is installed.\n",
    /* 78 */ "the file system is read-only",
    /* 79 */ "it is not a directory",
    /* 80 */
    "the checksum file %s has a malformed line for %s: each line must be 64 hexadecimal "
    "digits, two blanks (or a blank and *) and the file's name, as sha256sum writes it",
    /* 81 */
    "%s holds a NUL byte (or gpgv's report on it does), which would hide what follows it; "
    "the medium is refused",
    /* 82 */
    "the signature %s does not prove the checksum file: the key that made it has been revoked",
    /* 83 */
    "the signature %s does not prove the checksum file: the key that made it has expired",
    /* 84 */
    "the signature %s does not prove the checksum file: the signature has expired",
    /* 85 */
    "the signature %s does not prove the checksum file: its digest is weaker than SHA-256 "
    "(sign with gpg --digest-algo SHA256, SHA384 or SHA512)",
    /* 86 */
    "the key file %s cannot be read as an OpenPGP key; it is skipped and its keys are not "
    "trusted",
    /* 87 */
    "this host trusts the keys in %s but has no gpgv to check a signature with (install the "
    "Debian package gpgv)",
    /* 88 */
    "the medium's release %s sorts before the installed release %s; this host installs it "
    "only with --allow-downgrade",
    /* 89 */
    "the medium's release %s sorts before the installed release %s; it is installed all the "
    "same",
    /* 90 */ "no installation is recorded",
    /* 91 */
    "ERROR: the record of the installation cannot be trusted: %s (%s %s %s) is no regular file or "
    "directory of root's that nobody else can change; nothing was done\n",
    /* 92 */
    "ERROR: %s cannot be used together with %s.\n",
    /* 93 */
    "ERROR: the record %s cannot be trusted: its line %d is no record line; nothing was done\n",
    /* 94 */ "%s is kept: it changed since it was installed\n",
    /* 95 */ "%s is kept: it is not the suite's\n",
    /* 96 */ "ERROR: %s could not be removed\n",
    /* 97 */ "WARNING: the print queue %s (%s) still uses %s; remove the queue or change its filter\n",
    /* 98 */ "The suite is removed.\n",
    /* 99 */
    "The suite is removed but for %d entries, which stay recorded in %s; setup --remove --purge also "
    "removes those that changed or that other users put there.\n",
    /* 100 */
    "it is owned by someone else, or others can change a directory on the way "
    "to it",
    /* 101 */
    "ERROR: %s is a mount point: an installation on a volume of its own is "
    "not moved, and nothing was changed. Upgrade it where it stands (setup "
    "without install BASE), or copy it to the new place yourself and mount "
    "the volume there.\n",
    /* 102 */
    "ERROR: %s holds no installation (it has no file tvqadmin) and is not "
    "empty: nothing was changed. Move it away or empty it, then run setup "
    "again.\n",
    /* 103 */
    "ERROR: %s is a link to %s, which does not exist: nothing was changed. "
    "Remove the link or bring its directory back, then run setup again.\n",
    /* 104 */ "The removal was stopped as answered; nothing was removed.\n",
    /* 105 */
    "ERROR: the record describes the installation at %s, but /usr/Varen/tvxx now leads to %s: a move "
    "was interrupted after its last step. Nothing was removed. Run setup again to finish the move, "
    "then setup --remove.\n",
    /* 106 */
    "ERROR: the removal was interrupted by %s and has stopped; run %s --remove again to finish it.\n",
};
static_assert(AllTextsPresent(NLS_ENGLISH), "NLS_ENGLISH needs a text at every id");

constexpr const char *NLS_SPANISH[NLS_COUNT] = {
    /*  0 */ "",
    /*  1 */
    "ERROR: la ruta %s contiene caracteres no permitidos. Utilice s\363lo letras, "
    "d\355gitos y los caracteres / . _ - + , = : @ %%\n",
    /*  2 */
    "No se pudo leer ninguna respuesta de la entrada est\341ndar; la instalaci\363n "
    "se detiene.\n",
    /*  3 */ "ERROR: no se pudo abrir %s",
    /*  4 */
    "No hay espacio suficiente en %s para realizar las actividades de "
    "instalaci\363n. Libere espacio all\355 o elija otra \341rea de instalaci\363n.\n",
    /*  5 */
    "ERROR: el \341rea de trabajo %s no es un directorio propio de esta "
    "ejecuci\363n (no se pudo crear de nuevo, o no es un directorio de este "
    "usuario cerrado a los dem\341s); no se instala nada.\n",
    /*  6 */
    "ERROR: otra instalaci\363n est\341 en curso (%s est\341 bloqueado); vuelva a "
    "intentarlo cuando haya terminado.\n",
    /*  7 */
    "%d paso(s) de la instalaci\363n fallaron; el primero de ellos, tal como consta en el "
    "registro:\n",
    /*  8 */ "Todos los fallos constan en el registro %s.\n",
    /*  9 */ "el archivo de lista %s nombra un archivo de m\341s de %d caracteres: %s",
    /* 10 */ "el archivo de lista %s no nombra ning\372n archivo que copiar",
    /* 11 */
    "el archivo de lista %s nombra %s, que no es un nombre de archivo simple de su directorio",
    /* 12 */ "%s falta o est\341 da\361ado: no coincide con el archivo de sumas de control %s",
    /* 13 */
    "ERROR: %s (propietario %s:%s, modo %s) puede ser modificado por usuarios "
    "distintos de root; no se ha cambiado nada. Cada directorio desde / hasta "
    "donde trabaja el instalador debe pertenecer a root (o al usuario que lo "
    "ejecuta) y nadie m\341s debe poder escribir en \351l, salvo que sea sticky como "
    "/tmp. Utilice otro directorio, o haga que este pertenezca a root y ci\351rrelo "
    "(chown root:root, chmod go-w).\n",
    /* 14 */
    "ERROR: el archivo de bloqueo %s no es un archivo regular de root con un "
    "solo nombre (propietario %s:%s, modo %s, n\372mero de enlaces %lu); no se ha "
    "cambiado nada. Elim\355nelo y vuelva a iniciar el instalador.\n",
    /* 15 */
    "ERROR: %s no es un directorio; no se ha cambiado nada.\n",
    /* 16 */
    "ERROR: no se puede crear ni abrir el archivo de bloqueo %s (%s); no se ha "
    "cambiado nada.\n",
    /* 17 */
    "ERROR: la ejecuci\363n fue interrumpida por %s y se ha detenido; ejecute %s de "
    "nuevo para terminar la instalaci\363n.\n",
    /* 18 */
    "el lpr que ejecuta el sistema y los demonios de impresi\363n encontrados no "
    "deciden el spooler: %s indica CUPS; escriba \" LPRng \" en \351l si LPRng "
    "gestiona las colas de impresi\363n",
    /* 19 */ "",
    /* 20 */ "",
    /* 21 */ "no se puede abrir el archivo, instalaci\363n%s/discos",
    /* 22 */
    "Uso: %s [WORKDIR] [install BASE] [--medium DIR] [--allow-downgrade] [-v]\n"
    "  WORKDIR       el \341rea de trabajo es WORKDIR/VarenInstall (por omisi\363n\n"
    "                /tmp/VarenInstall); WORKDIR se crea si no existe\n"
    "  install BASE  instalar en BASE/Varen/tvxx (por omisi\363n: la base de la\n"
    "                instalaci\363n anterior, si no /usr)\n"
    "  --medium DIR  instalar desde el soporte en DIR (por omisi\363n: el directorio\n"
    "                de este programa)\n"
    "  --allow-downgrade\n"
    "                instalar una versi\363n anterior a la instalada\n"
    "  -v, --version mostrar la versi\363n y salir\n"
    "  -h, --help    mostrar este texto y salir\n"
    "  --yes, --no   responder s\355 o no a la pregunta de si continuar\n"
    "  --running=wait, --running=quit\n"
    "                responder a la pregunta sobre programas en ejecuci\363n: esperar\n"
    "                a que terminen, o abandonar (estado 4)\n"
    "  --list        mostrar la ruta de cada entrada de la instalaci\363n registrada\n"
    "  --verify      comparar el sistema con el registro: una l\355nea por entrada\n"
    "                que difiere (estado 1); estado 5 si no hay nada registrado\n"
    "  --remove [--purge]\n"
    "                quitar del sistema la instalaci\363n registrada; con --purge\n"
    "                tambi\351n lo cambiado desde entonces o puesto en sus directorios\n"
    "Un directorio cuyo nombre empieza por \"-\" se escribe ./NOMBRE. Manual: man 8 setup\n",
    /* 23 */
    "ERROR: %s no es una opci\363n en este lugar; un directorio cuyo nombre empieza "
    "por \"-\" se escribe ./%s\n",
    /* 24 */ " copiando el soporte ",
    /* 25 */ " comprobando el soporte ",
    /* 26 */ " uniendo y desempaquetando ",
    /* 27 */ " instalando los archivos ",
    /* 28 */ " escribiendo los scripts ",
    /* 29 */ " ejecutando tvqadmin -upgrade ",
    /* 30 */
    "ERROR: no hay espacio libre suficiente para la instalaci\363n; no se ha instalado nada.\n",
    /* 31 */
    "ERROR: falta el archivo de tama\361o %s o no se puede leer; no se ha instalado nada.\n",
    /* 32 */ "ERROR: solo root puede instalar; no se ha instalado nada.\n",
    /* 33 */ "La instalaci\363n se ha detenido seg\372n la respuesta; no se ha instalado nada.\n",
    /* 34 */
    "La instalaci\363n se ha detenido seg\372n la respuesta mientras se ejecutaban programas del "
    "paquete: est\341 incompleta. Vuelva a ejecutar setup para completarla.\n",
    /* 35 */
    "%s est\341 conectado\n"
    "Debe convertirse en ra\355z para ejecutar %s\n",
    /* 36 */
    "falta %s: este sistema s\363lo instala soportes cuyo fichero de sumas de control est\351 "
    "firmado por una clave de %s",
    /* 37 */
    "la firma %s no prueba el fichero de sumas de control: es incorrecta o est\341 da\361ada, o "
    "el fichero se modific\363 despu\351s de firmarlo",
    /* 38 */
    "el fichero de sumas de control %s est\341 firmado por una clave en la que este sistema no "
    "conf\355a (ninguna de las claves de %s)",
    /* 39 */
    "el directorio de claves de confianza %s no es seguro: \351l y cada directorio por encima "
    "deben ser directorios de root en los que nadie m\341s pueda escribir (chown root DIR; chmod "
    "go-w DIR)",
    /* 40 */
    "%s no puede estar entre las claves de confianza: s\363lo ficheros normales NOMBRE.gpg "
    "de root, con NOMBRE hecho s\363lo de letras, cifras y . _ - + , = : @ %% (renombre "
    "cualquier otro, p. ej. mv 'media (1).gpg' media-1.gpg), en forma binaria, en los que "
    "nadie m\341s pueda escribir (gpg --export CLAVE > NOMBRE.gpg; para una clave con "
    "armadura gpg --dearmor < CLAVE.asc > NOMBRE.gpg; despu\351s chown root NOMBRE.gpg; "
    "chmod 644 NOMBRE.gpg)",
    /* 41 */
    "%s no tiene l\355nea en el fichero de sumas de control %s, por lo que no puede comprobarse",
    /* 42 */
    "ERROR: %s y %s dan respuestas distintas a la misma pregunta; indique solo una de ellas.\n",
    /* 43 */
    "ERROR: install debe ir seguido de la base donde instalar, por ejemplo install /opt.\n",
    /* 44 */
    "%s: error de escritura en la salida est\341ndar: %s\n",
    /* 45 */
    "%s: error de escritura en la salida de error est\341ndar: %s\n",
    /* 46 */
    "Respondido s\355 con %s: la instalaci\363n contin\372a.\n",
    /* 47 */
    "Respondido con %s: se esperan 30 segundos a que estos procesos terminen.\n",
    /* 48 */ "",
    /* 49 */
    "No hay espacio suficiente en %s para realizar las actividades de "
    "instalaci\363n. El \341rea de espacio provisional debe tener al menos %e bytes. "
    "Reinicie el procedimiento de instalaci\363n utilizando un \341rea de trabajo "
    "que tenga espacio suficiente. \n"
    "Es decir: 1. Utilice /ruta_de_\341rea_de_trabajo_nueva en lugar de /tmp\n"
    "    2. Ejecute `setup /ruta_de_\341rea_de_trabajo_nueva`\n",
    /* 50 */ "",
    /* 51 */ "",
    /* 52 */ "",
    /* 53 */ "",
    /* 54 */ "",
    /* 55 */
    "No hay espacio suficiente en %s para realizar las actividades de "
    "instalaci\363n. El \341rea de instalaci\363n debe tener al menos %e bytes. "
    "Reinicie el procedimiento de instalaci\363n utilizando un \341rea de "
    "instalaci\363n que tenga espacio suficiente. \n"
    "Es decir: 1. Utilice /ruta_de_instalaci\363n_nueva en lugar de la "
    "localizaci\363n prefijada\n"
    "    2. Ejecute 'setup install /ruta_de_instalaci\363n_nueva'\n",
    /* 56 */
    "No hay espacio suficiente para realizar las actividades de instalaci\363n. Ya "
    "que est\341 utilizando un directorio de trabajo, %s en la misma partici\363n "
    "que el directorio de instalaci\363n que ha seleccionado, %s esta instalaci\363n "
    "requiere %e bytes disponibles. Vuelva a ejecutar la instalaci\363n "
    "especificando una localizaci\363n diferente para el directorio de trabajo o el "
    "directorio de instalaci\363n. Consulte el archivo L\351ame si necesita ayuda "
    "con la sintaxis.",
    /* 57 */ "",
    /* 58 */ "",
    /* 59 */ "",
    /* 60 */ "no se pudo obtener la versi\363n",
    /* 61 */ "",
    /* 62 */
    "\n"
    "Si actualmente tiene instalado el software de la impresora %s que utiliza el "
    "daemon de impresi\363n TolvarD\n"
    ", debe eliminar todas las colas de impresi\363n %s antes de instalar\n"
    "este paquete.\n"
    "\n"
    "NOTA: TolvarD se encuentra en <directorio de instalaci\363n>/%s/%s\n",
    /* 63 */
    "\n"
    "\277Desea continuar con la instalaci\363n? [sn] ",
    /* 64 */ "",
    /* 65 */
    "No se pudo determinar el espacio necesario para la instalaci\363n, falta "
    "itama\361o.\n",
    /* 66 */
    "\n"
    "Se est\341n ejecutando los procesos siguientes.\n"
    "El instalador no puede continuar hasta que terminen:\n",
    /* 67 */ "Desea:\n",
    /* 68 */ "1.  \277esperar 30 segundos para que estos procesos terminen?\n",
    /* 69 */ "2.  \277abandonar la instalaci\363n?\n",
    /* 70 */
    "\n"
    "Introduzca una selecci\363n:  ",
    /* 71 */
    "ERROR: %s (propietario %s:%s, modo %s) puede ser modificado por usuarios "
    "distintos de root mediante su entrada de ACL %s; no se ha cambiado nada. "
    "Cada directorio desde / hasta donde trabaja el instalador solo debe poder "
    "ser escrito por root (o por el usuario que lo ejecuta). Elimine la entrada "
    "(setfacl -x) o utilice otro directorio.\n",
    /* 72 */
    "ERROR: %s (propietario %s:%s, modo %s) puede ser modificado por miembros del "
    "grupo root distintos de root: %s; no se ha cambiado nada. Mientras el grupo "
    "root tenga otros miembros, ning\372n directorio donde trabaja el instalador "
    "debe poder ser escrito por ese grupo. Ci\351rrelo (chmod g-w) o utilice otro "
    "directorio.\n",
    /* 73 */
    "ERROR: %s (propietario %s:%s, modo %s), que el instalador estaba creando, no "
    "es suyo: otro usuario lo cre\363 antes o puede modificarlo. El instalador se "
    "detuvo antes de poner nada en \351l. Elim\355nelo, o haga que pertenezca a root "
    "y ci\351rrelo, y ejecute el instalador de nuevo.\n",
    /* 74 */
    "%s es %s, no un archivo regular del directorio del medio; no se ley\363 nada de \351l",
    /* 75 */
    "No se pudo crear o escribir por completo el registro %s: esta ejecuci\363n no queda "
    "registrada del todo.\n",
    /* 76 */
    "ERROR: no queda espacio en el sistema de archivos montado en %s, adonde "
    "se copiaba %s: la copia parcial se ha borrado, la instalaci\363n de %s "
    "no ha cambiado.\n",
    /* 77 */
    "ERROR: el \341rea de trabajo %s no es un "
    "directorio propio de esta ejecuci\363n: %s; no se instala nada.\n",
    /* 78 */ "el sistema de archivos es de s\363lo lectura",
    /* 79 */ "no es un directorio",
    /* 80 */
    "el fichero de sumas %s tiene una l\355nea mal formada para %s: cada l\355nea debe ser "
    "64 cifras hexadecimales, dos blancos (o un blanco y *) y el nombre del fichero, como lo "
    "escribe sha256sum",
    /* 81 */
    "%s contiene un byte NUL (o lo contiene el informe de gpgv sobre \351l), que "
    "ocultar\355a lo que le sigue; el soporte se rechaza",
    /* 82 */
    "la firma %s no prueba el fichero de sumas: la clave que la hizo ha sido revocada",
    /* 83 */
    "la firma %s no prueba el fichero de sumas: la clave que la hizo ha caducado",
    /* 84 */
    "la firma %s no prueba el fichero de sumas: la firma ha caducado",
    /* 85 */
    "la firma %s no prueba el fichero de sumas: su resumen es m\341s d\351bil que SHA-256 "
    "(firme con gpg --digest-algo SHA256, SHA384 o SHA512)",
    /* 86 */
    "el fichero de clave %s no se puede leer como clave OpenPGP; se omite y sus claves no "
    "son de confianza",
    /* 87 */
    "este sistema conf\355a en las claves de %s pero no tiene gpgv para comprobar una firma "
    "(instale el paquete Debian gpgv)",
    /* 88 */
    "la versi\363n %s del soporte es anterior a la versi\363n instalada %s; este sistema "
    "s\363lo la instala con --allow-downgrade",
    /* 89 */
    "la versi\363n %s del soporte es anterior a la versi\363n instalada %s; se instala de "
    "todos modos",
    /* 90 */ "no hay ninguna instalaci\363n registrada",
    /* 91 */
    "ERROR: no se puede confiar en el registro de la instalaci\363n: %s (%s %s %s) no es un fichero "
    "ni un directorio de root que nadie m\341s pueda cambiar; no se ha hecho nada\n",
    /* 92 */
    "ERROR: %s no se puede usar junto con %s.\n",
    /* 93 */
    "ERROR: no se puede confiar en el registro %s: su l\355nea %d no es una l\355nea de registro; "
    "no se ha hecho nada\n",
    /* 94 */ "%s se conserva: ha cambiado desde su instalaci\363n\n",
    /* 95 */ "%s se conserva: no pertenece al paquete\n",
    /* 96 */ "ERROR: no se ha podido eliminar %s\n",
    /* 97 */ "AVISO: la cola de impresi\363n %s (%s) a\372n usa %s; elimine la cola o cambie su filtro\n",
    /* 98 */ "El paquete se ha eliminado.\n",
    /* 99 */
    "El paquete se ha eliminado salvo %d entradas, que siguen registradas en %s; setup --remove "
    "--purge elimina tambi\351n las que cambiaron o que otros usuarios pusieron all\355.\n",
    /* 100 */
    "pertenece a otro usuario, o otros pueden cambiar un directorio del "
    "camino hasta ella",
    /* 101 */
    "ERROR: %s es un punto de montaje: una instalaci\363n en un volumen "
    "propio no se traslada, y no se ha cambiado nada. Actual\355cela donde "
    "est\341 (setup sin install BASE), o c\363piela usted mismo al nuevo "
    "lugar y monte all\355 el volumen.\n",
    /* 102 */
    "ERROR: %s no contiene ninguna instalaci\363n (no tiene el archivo "
    "tvqadmin) y no est\341 vac\355o: no se ha cambiado nada. Mu\351valo a "
    "otro sitio o v\341c\355elo, y ejecute setup de nuevo.\n",
    /* 103 */
    "ERROR: %s es un enlace a %s, que no existe: no se ha cambiado nada. "
    "Borre el enlace o restablezca su directorio, y ejecute setup de nuevo.\n",
    /* 104 */ "La eliminaci\363n se ha detenido seg\372n la respuesta; no se ha eliminado nada.\n",
    /* 105 */
    "ERROR: el registro describe la instalaci\363n en %s, pero /usr/Varen/tvxx lleva ahora a %s: un "
    "traslado se interrumpi\363 tras su \372ltimo paso. No se ha eliminado nada. Ejecute setup de "
    "nuevo para terminar el traslado y despu\351s setup --remove.\n",
    /* 106 */
    "ERROR: la eliminaci\363n fue interrumpida por %s y se ha detenido; ejecute %s --remove de "
    "nuevo para terminarla.\n",
};
static_assert(AllTextsPresent(NLS_SPANISH), "NLS_SPANISH needs a text at every id");

constexpr const char *NLS_ITALIAN[NLS_COUNT] = {
    /*  0 */ "",
    /*  1 */
    "ERRORE: il percorso %s contiene caratteri non consentiti. Utilizzare solo "
    "lettere, cifre e i caratteri / . _ - + , = : @ %%\n",
    /*  2 */
    "Impossibile leggere una risposta dallo standard input; l'installazione viene "
    "interrotta.\n",
    /*  3 */ "ERRORE: impossibile aprire %s",
    /*  4 */
    "Non c'\350 abbastanza spazio in %s per eseguire le attivit\340 d'installazione. "
    "Liberare spazio o scegliere un'altra area di installazione.\n",
    /*  5 */
    "ERRORE: l'area di lavoro %s non \350 una directory propria di questa "
    "esecuzione (non \350 stato possibile crearla di nuovo, oppure non \350 una "
    "directory di questo utente chiusa agli altri); non viene installato nulla.\n",
    /*  6 */
    "ERRORE: \350 in corso un'altra installazione (%s \350 bloccato); riprovare "
    "quando sar\340 terminata.\n",
    /*  7 */
    "%d passo/i dell'installazione non sono riusciti; il primo di essi, come registrato:\n",
    /*  8 */ "Tutti gli errori sono nel registro %s.\n",
    /*  9 */ "il file elenco %s nomina un file di oltre %d caratteri: %s",
    /* 10 */ "il file elenco %s non nomina alcun file da copiare",
    /* 11 */
    "il file elenco %s nomina %s, che non \350 un semplice nome di file della sua directory",
    /* 12 */ "%s manca o \350 danneggiato: non corrisponde al file dei checksum %s",
    /* 13 */
    "ERRORE: %s (proprietario %s:%s, modo %s) pu\362 essere modificato da utenti "
    "diversi da root; non \350 stato cambiato nulla. Ogni directory da / fino a "
    "dove lavora il programma di installazione deve appartenere a root (o "
    "all'utente che lo esegue) e non essere scrivibile da altri, a meno che non "
    "sia sticky come /tmp. Usare un'altra directory, oppure renderla di root e "
    "chiuderla (chown root:root, chmod go-w).\n",
    /* 14 */
    "ERRORE: il file di blocco %s non \350 un file regolare di root con un solo "
    "nome (proprietario %s:%s, modo %s, numero di collegamenti %lu); non \350 stato "
    "cambiato nulla. Rimuoverlo e riavviare il programma di installazione.\n",
    /* 15 */
    "ERRORE: %s non \350 una directory; non \350 stato cambiato nulla.\n",
    /* 16 */
    "ERRORE: impossibile creare o aprire il file di blocco %s (%s); non \350 stato "
    "cambiato nulla.\n",
    /* 17 */
    "ERRORE: l\'esecuzione \350 stata interrotta da %s e si \350 fermata; eseguire di "
    "nuovo %s per completare l\'installazione.\n",
    /* 18 */
    "il comando lpr del sistema e i demoni di stampa trovati non decidono lo "
    "spooler: %s indica CUPS; scrivere \" LPRng \" nel file "
    "se le code di stampa sono gestite da LPRng",
    /* 19 */ "",
    /* 20 */ "",
    /* 21 */ "non \350 possibile aprire il file, %sInstall/disks",
    /* 22 */
    "Uso: %s [WORKDIR] [install BASE] [--medium DIR] [--allow-downgrade] [-v]\n"
    "  WORKDIR       l'area di lavoro \350 WORKDIR/VarenInstall (predefinita\n"
    "                /tmp/VarenInstall); WORKDIR viene creata se manca\n"
    "  install BASE  installa in BASE/Varen/tvxx (predefinita: la base\n"
    "                dell'installazione precedente, altrimenti /usr)\n"
    "  --medium DIR  installare dal supporto in DIR (predefinito: la directory di\n"
    "                questo programma)\n"
    "  --allow-downgrade\n"
    "                installare una versione precedente a quella installata\n"
    "  -v, --version mostra la versione ed esce\n"
    "  -h, --help    mostra questo testo ed esce\n"
    "  --yes, --no   risponde s\354 o no alla domanda se continuare\n"
    "  --running=wait, --running=quit\n"
    "                risponde alla domanda sui programmi in esecuzione: attende che\n"
    "                terminino, oppure esce (stato 4)\n"
    "  --list        stampa il percorso di ogni voce dell'installazione registrata\n"
    "  --verify      confronta il sistema con la registrazione: una riga per ogni\n"
    "                voce diversa (stato 1); stato 5 se nulla \350 registrato\n"
    "  --remove [--purge]\n"
    "                toglie dal sistema l'installazione registrata; con --purge\n"
    "                anche ci\362 che \350 stato cambiato o messo nelle sue directory\n"
    "Una directory il cui nome inizia con \"-\" si scrive ./NOME. Manuale: man 8 setup\n",
    /* 23 */
    "ERRORE: %s non \350 un'opzione in questa posizione; una directory il cui nome "
    "inizia con \"-\" si scrive ./%s\n",
    /* 24 */ " copia del supporto ",
    /* 25 */ " verifica del supporto ",
    /* 26 */ " unione ed estrazione ",
    /* 27 */ " installazione dei file ",
    /* 28 */ " scrittura degli script ",
    /* 29 */ " esecuzione di tvqadmin -upgrade ",
    /* 30 */
    "ERRORE: spazio libero insufficiente per l'installazione; non \350 stato installato nulla.\n",
    /* 31 */
    "ERRORE: il file delle dimensioni %s manca o non \350 leggibile; non \350 stato installato "
    "nulla.\n",
    /* 32 */ "ERRORE: solo root pu\362 installare; non \350 stato installato nulla.\n",
    /* 33 */
    "L'installazione \350 stata interrotta come richiesto; non \350 stato installato nulla.\n",
    /* 34 */
    "L'installazione \350 stata interrotta come richiesto mentre erano in esecuzione programmi del "
    "pacchetto: \350 incompleta. Eseguire di nuovo setup per completarla.\n",
    /* 35 */
    "%s \350 registrato\n"
    "Si deve diventare root per eseguire %s\n",
    /* 36 */
    "manca %s: questo sistema installa solo supporti il cui file dei checksum \350 firmato da "
    "una chiave in %s",
    /* 37 */
    "la firma %s non prova il file dei checksum: \350 errata o danneggiata, oppure il file \350 "
    "stato modificato dopo la firma",
    /* 38 */
    "il file dei checksum %s \350 firmato da una chiave di cui questo sistema non si fida "
    "(nessuna delle chiavi in %s)",
    /* 39 */
    "la directory delle chiavi fidate %s non \350 sicura: essa e ogni directory superiore devono "
    "essere directory di root in cui nessun altro possa scrivere (chown root DIR; chmod go-w DIR)",
    /* 40 */
    "%s non pu\362 stare tra le chiavi fidate: solo file regolari NOME.gpg di root, con NOME "
    "fatto solo di lettere, cifre e . _ - + , = : @ %% (rinominare ogni altro, p. es. mv "
    "'media (1).gpg' media-1.gpg), in forma binaria, in cui nessun altro possa scrivere (gpg "
    "--export CHIAVE > NOME.gpg; per una chiave in armatura gpg --dearmor < CHIAVE.asc > "
    "NOME.gpg; poi chown root NOME.gpg; chmod 644 NOME.gpg)",
    /* 41 */
    "%s non ha una riga nel file dei checksum %s e quindi non pu\362 essere controllato",
    /* 42 */
    "ERRORE: %s e %s danno risposte diverse alla stessa domanda; indicarne solo una.\n",
    /* 43 */
    "ERRORE: install deve essere seguito dalla base in cui installare, per esempio install "
    "/opt.\n",
    /* 44 */
    "%s: errore di scrittura sullo standard output: %s\n",
    /* 45 */
    "%s: errore di scrittura sullo standard error: %s\n",
    /* 46 */
    "Risposta s\354 data da %s: l'installazione continua.\n",
    /* 47 */
    "Risposta data da %s: attesa di 30 secondi perch\351 le procedure terminino.\n",
    /* 48 */ "",
    /* 49 */
    "Non c'\350 abbastanza spazio in %s per eseguire le attivit\340 d'installazione. "
    "L'area di lavoro temporanea deve essere almeno di %e byte. Ricominciare la "
    "procedura d'installazione utilizzando un'area di lavoro che abbia spazio "
    "sufficiente. \n"
    "cio\350: 1. Utilizzare /nuovo_percorso_area_di_lavoro al posto di /tmp\n"
    "      2. Eseguire `setup /nuovo_percorso_area_di_lavoro`\n",
    /* 50 */ "",
    /* 51 */ "",
    /* 52 */ "",
    /* 53 */ "",
    /* 54 */ "",
    /* 55 */
    "Non c'\350 abbastanza spazio in %s per eseguire le attivit\340 d'installazione. "
    "L'area di installazione deve essere almeno di %e byte. Ricominciare la "
    "procedura d'installazione utilizzando un'area di installazione che abbia spazio "
    "sufficiente. \n"
    "cio\350: 1. Utilizzare /nuovo_percorso_di_installazione al posto della "
    "locazione predefinita\n"
    "      2. Eseguire 'setup install /nuovo_percorso_di_installazione'\n",
    /* 56 */
    "Non c'\350 abbastanza spazio per eseguire le attivit\340 d'installazione. Dal "
    "momento che si sta utilizzando una directory di lavoro, %s, sulla stessa "
    "partizione della directory d'installazione selezionata, %s, questa "
    "installazione richiede %e byte liberi. Eseguire nuovamente l'installazione "
    "specificando una posizione diversa per la directory di lavoro o la directory "
    "d'installazione. Leggere il file leggimi nel caso in cui servisse aiuto con la "
    "sintassi.",
    /* 57 */ "",
    /* 58 */ "",
    /* 59 */ "",
    /* 60 */ "versione non trovata",
    /* 61 */ "",
    /* 62 */
    "\n"
    "Nel caso in cui attualmente sia installato il software della stampante %s che "
    "utilizza TolvarD\n"
    "print daemon, si devono eliminare tutte le code di stampa %s prima "
    "d'installare\n"
    "questo pacchetto software.\n"
    "\n"
    "NOTA: TolvarD si trova in <directory d'installazione>/%s/%s\n",
    /* 63 */
    "\n"
    "Si vuole continuare con l'installazione? [yn] ",
    /* 64 */ "",
    /* 65 */
    "Non \350 possibile determinare quanto spazio \350 necessario per "
    "l'installazione, manca isize.\n",
    /* 66 */
    "\n"
    "Sono in corso le seguenti procedure.\n"
    "L'installazione non pu\362 continuare fino a quando non sono terminate:\n",
    /* 67 */ "Si desidera:\n",
    /* 68 */ "1.  Attendere 30 secondi per consentire alle procedure di terminare\n",
    /* 69 */ "2.  Uscire dall'installazione\n",
    /* 70 */
    "\n"
    "Effettuare una selezione:  ",
    /* 71 */
    "ERRORE: %s (proprietario %s:%s, modo %s) pu\362 essere modificato da utenti "
    "diversi da root tramite la sua voce ACL %s; non \350 stato cambiato nulla. "
    "Ogni directory da / fino a dove lavora il programma di installazione deve "
    "essere scrivibile solo da root (o dall'utente che lo esegue). Rimuovere la "
    "voce (setfacl -x) o usare un'altra directory.\n",
    /* 72 */
    "ERRORE: %s (proprietario %s:%s, modo %s) pu\362 essere modificato da membri "
    "del gruppo root diversi da root: %s; non \350 stato cambiato nulla. Finch\351 il "
    "gruppo root ha altri membri, nessuna directory in cui lavora il programma di "
    "installazione pu\362 essere scrivibile da quel gruppo. Chiuderla (chmod g-w) "
    "o usare un'altra directory.\n",
    /* 73 */
    "ERRORE: %s (proprietario %s:%s, modo %s), che il programma di installazione "
    "stava creando, non \350 sua: un altro utente l'ha creata prima o pu\362 "
    "modificarla. L'installazione si \350 fermata prima di mettervi qualcosa. "
    "Rimuoverla, o renderla di root e chiuderla, ed eseguire di nuovo il "
    "programma di installazione.\n",
    /* 74 */
    "%s \350 %s, non un file regolare della directory del supporto; non ne \350 stato "
    "letto nulla",
    /* 75 */
    "Non \350 stato possibile creare o scrivere per intero il log %s: questa esecuzione "
    "non \350 registrata completamente.\n",
    /* 76 */
    "ERRORE: spazio esaurito nel file system montato su %s, dove si copiava "
    "%s: la copia parziale \350 stata rimossa, l'installazione in %s \350 "
    "invariata.\n",
    /* 77 */
    "ERRORE: l'area di lavoro %s non \350 una directory "
    "propria di questa esecuzione: %s; non viene installato nulla.\n",
    /* 78 */ "il file system \350 di sola lettura",
    /* 79 */ "non \350 una directory",
    /* 80 */
    "il file dei checksum %s ha una riga malformata per %s: ogni riga deve essere 64 cifre "
    "esadecimali, due spazi (o uno spazio e *) e il nome del file, come li scrive sha256sum",
    /* 81 */
    "%s contiene un byte NUL (o lo contiene il rapporto di gpgv su di esso), che "
    "nasconderebbe ci\362 che segue; il supporto \350 rifiutato",
    /* 82 */
    "la firma %s non prova il file dei checksum: la chiave che l'ha fatta \350 stata revocata",
    /* 83 */
    "la firma %s non prova il file dei checksum: la chiave che l'ha fatta \350 scaduta",
    /* 84 */
    "la firma %s non prova il file dei checksum: la firma \350 scaduta",
    /* 85 */
    "la firma %s non prova il file dei checksum: il suo digest \350 pi\371 debole di SHA-256 "
    "(firmare con gpg --digest-algo SHA256, SHA384 o SHA512)",
    /* 86 */
    "il file di chiave %s non si pu\362 leggere come chiave OpenPGP; viene saltato e le sue "
    "chiavi non sono fidate",
    /* 87 */
    "questo sistema si fida delle chiavi in %s ma non ha gpgv per verificare una firma "
    "(installare il pacchetto Debian gpgv)",
    /* 88 */
    "la versione %s del supporto precede la versione installata %s; questo sistema la "
    "installa solo con --allow-downgrade",
    /* 89 */
    "la versione %s del supporto precede la versione installata %s; viene installata comunque",
    /* 90 */ "nessuna installazione \350 registrata",
    /* 91 */
    "ERRORE: la registrazione dell'installazione non \350 affidabile: %s (%s %s %s) non \350 un file o "
    "una directory di root che nessun altro pu\362 modificare; non \350 stato fatto nulla\n",
    /* 92 */
    "ERRORE: %s non pu\362 essere usato insieme a %s.\n",
    /* 93 */
    "ERRORE: la registrazione %s non \350 affidabile: la sua riga %d non \350 una riga di "
    "registrazione; non \350 stato fatto nulla\n",
    /* 94 */ "%s viene conservato: \350 cambiato dopo l'installazione\n",
    /* 95 */ "%s viene conservato: non appartiene al pacchetto\n",
    /* 96 */ "ERRORE: impossibile rimuovere %s\n",
    /* 97 */ "ATTENZIONE: la coda di stampa %s (%s) usa ancora %s; rimuovere la coda o cambiarne il filtro\n",
    /* 98 */ "Il pacchetto \350 stato rimosso.\n",
    /* 99 */
    "Il pacchetto \350 stato rimosso tranne %d voci, che restano registrate in %s; setup --remove "
    "--purge rimuove anche quelle cambiate o messe l\354 da altri utenti.\n",
    /* 100 */
    "appartiene a un altro utente, oppure altri possono modificare una "
    "directory del percorso",
    /* 101 */
    "ERRORE: %s \350 un punto di mount: un'installazione su un volume proprio "
    "non viene spostata, e non \350 stato cambiato nulla. Aggiornarla dove si "
    "trova (setup senza install BASE), oppure copiarla di persona nella nuova "
    "posizione e montarvi il volume.\n",
    /* 102 */
    "ERRORE: %s non contiene alcuna installazione (manca il file tvqadmin) e "
    "non \350 vuota: non \350 stato cambiato nulla. Spostarla o svuotarla, "
    "poi eseguire di nuovo setup.\n",
    /* 103 */
    "ERRORE: %s \350 un link a %s, che non esiste: non \350 stato cambiato "
    "nulla. Rimuovere il link o ripristinare la sua directory, poi eseguire "
    "di nuovo setup.\n",
    /* 104 */ "La rimozione \350 stata interrotta come richiesto; non \350 stato rimosso nulla.\n",
    /* 105 */
    "ERRORE: la registrazione descrive l'installazione in %s, ma /usr/Varen/tvxx ora porta a %s: uno "
    "spostamento \350 stato interrotto dopo il suo ultimo passo. Non \350 stato rimosso nulla. "
    "Eseguire di nuovo setup per completare lo spostamento, poi setup --remove.\n",
    /* 106 */
    "ERRORE: la rimozione \350 stata interrotta da %s e si \350 fermata; eseguire di nuovo %s "
    "--remove per completarla.\n",
};
static_assert(AllTextsPresent(NLS_ITALIAN), "NLS_ITALIAN needs a text at every id");

constexpr const char *NLS_FRENCH[NLS_COUNT] = {
    /*  0 */ "",
    /*  1 */
    "ERREUR : le chemin %s contient des caract\350res non autoris\351s. Utilisez "
    "uniquement des lettres, des chiffres et les caract\350res / . _ - + , = : @ %%\n",
    /*  2 */
    "Aucune r\351ponse n'a pu \352tre lue sur l'entr\351e standard ; l'installation "
    "est arr\352t\351e.\n",
    /*  3 */ "ERREUR : impossible d'ouvrir %s",
    /*  4 */
    "Il n'y a pas suffisamment d'espace dans %s pour effectuer l'installation. "
    "Lib\351rez de l'espace ou choisissez une autre zone d'installation.\n",
    /*  5 */
    "ERREUR : la zone de travail %s n'est pas un r\351pertoire propre \340 cette "
    "ex\351cution (impossible de la cr\351er \340 nouveau, ou ce n'est pas un "
    "r\351pertoire de cet utilisateur ferm\351 aux autres) ; rien n'est install\351.\n",
    /*  6 */
    "ERREUR : une autre installation est en cours (%s est verrouill\351) ; "
    "r\351essayez lorsqu'elle sera termin\351e.\n",
    /*  7 */
    "%d \351tape(s) de l'installation ont \351chou\351 ; la premi\350re d'entre elles, "
    "telle que journalis\351e :\n",
    /*  8 */ "Toutes les erreurs figurent dans le journal %s.\n",
    /*  9 */ "le fichier liste %s nomme un fichier de plus de %d caract\350res : %s",
    /* 10 */ "le fichier liste %s ne nomme aucun fichier \340 copier",
    /* 11 */
    "le fichier liste %s nomme %s, qui n'est pas un simple nom de fichier de son r\351pertoire",
    /* 12 */
    "%s est manquant ou endommag\351 : il ne correspond pas au fichier de sommes de contr\364le %s",
    /* 13 */
    "ERREUR : %s (propri\351taire %s:%s, mode %s) peut \352tre modifi\351 par d'autres "
    "utilisateurs que root ; rien n'a \351t\351 chang\351. Chaque r\351pertoire de / jusqu'\340 "
    "l'endroit o\371 travaille le programme d'installation doit appartenir \340 root "
    "(ou \340 l'utilisateur qui l'ex\351cute) et n'\352tre modifiable par personne "
    "d'autre, sauf s'il est sticky comme /tmp. Utilisez un autre r\351pertoire, ou "
    "donnez celui-ci \340 root et fermez-le (chown root:root, chmod go-w).\n",
    /* 14 */
    "ERREUR : le fichier de verrou %s n'est pas un fichier ordinaire de root "
    "avec un seul nom (propri\351taire %s:%s, mode %s, nombre de liens %lu) ; rien "
    "n'a \351t\351 chang\351. Supprimez-le et relancez le programme d'installation.\n",
    /* 15 */
    "ERREUR : %s n'est pas un r\351pertoire ; rien n'a \351t\351 chang\351.\n",
    /* 16 */
    "ERREUR : impossible de cr\351er ou d'ouvrir le fichier de verrou %s (%s) ; "
    "rien n'a \351t\351 chang\351.\n",
    /* 17 */
    "ERREUR : l\'ex\351cution a \351t\351 interrompue par %s et s\'est arr\352t\351e ; "
    "relancez %s pour terminer l\'installation.\n",
    /* 18 */
    "le lpr que le syst\350me ex\351cute et les d\351mons d'impression trouv\351s "
    "ne d\351cident pas du spooler : %s indique CUPS ; \351crivez "
    "\" LPRng \" dans ce fichier si LPRng g\350re les files d'impression",
    /* 19 */ "",
    /* 20 */ "",
    /* 21 */ "impossible d'ouvrir le fichier, %sInstaller/disques",
    /* 22 */
    "Usage : %s [WORKDIR] [install BASE] [--medium DIR] [--allow-downgrade] [-v]\n"
    "  WORKDIR       la zone de travail est WORKDIR/VarenInstall (par d\351faut\n"
    "                /tmp/VarenInstall) ; WORKDIR est cr\351\351 s'il manque\n"
    "  install BASE  installe dans BASE/Varen/tvxx (par d\351faut : la base de\n"
    "                l'installation pr\351c\351dente, sinon /usr)\n"
    "  --medium DIR  installer depuis le support dans DIR (par d\351faut : le\n"
    "                r\351pertoire de ce programme)\n"
    "  --allow-downgrade\n"
    "                installer une version ant\351rieure \340 celle install\351e\n"
    "  -v, --version affiche la version et quitte\n"
    "  -h, --help    affiche ce texte et quitte\n"
    "  --yes, --no   r\351pond oui ou non \340 la question de continuer\n"
    "  --running=wait, --running=quit\n"
    "                r\351pond \340 la question des programmes en cours : attend leur\n"
    "                fin, ou quitte (code de retour 4)\n"
    "  --list        affiche le chemin de chaque entr\351e de l'installation\n"
    "                enregistr\351e\n"
    "  --verify      compare le syst\350me avec l'enregistrement : une ligne par\n"
    "                entr\351e qui diff\350re (code de retour 1) ; code de retour 5\n"
    "                si rien n'est enregistr\351\n"
    "  --remove [--purge]\n"
    "                retire du syst\350me l'installation enregistr\351e ; avec --purge\n"
    "                aussi ce qui a \351t\351 modifi\351 depuis ou mis dans ses\n"
    "                r\351pertoires\n"
    "Un r\351pertoire dont le nom commence par \"-\" s'\351crit ./NOM. Manuel : man 8 "
    "setup\n",
    /* 23 */
    "ERREUR : %s n'est pas une option \340 cet endroit ; un r\351pertoire dont le nom "
    "commence par \"-\" s'\351crit ./%s\n",
    /* 24 */ " copie du support ",
    /* 25 */ " v\351rification du support ",
    /* 26 */ " assemblage et d\351compression ",
    /* 27 */ " installation des fichiers ",
    /* 28 */ " \351criture des scripts ",
    /* 29 */ " ex\351cution de tvqadmin -upgrade ",
    /* 30 */
    "ERREUR : espace libre insuffisant pour l'installation ; rien n'a \351t\351 install\351.\n",
    /* 31 */
    "ERREUR : le fichier de taille %s est absent ou illisible ; rien n'a \351t\351 install\351.\n",
    /* 32 */ "ERREUR : seul root peut installer ; rien n'a \351t\351 install\351.\n",
    /* 33 */
    "L'installation a \351t\351 arr\352t\351e selon la r\351ponse ; rien n'a \351t\351 "
    "install\351.\n",
    /* 34 */
    "L'installation a \351t\351 arr\352t\351e selon la r\351ponse pendant que des programmes du "
    "logiciel tournaient : elle est incompl\350te. Relancez setup pour la terminer.\n",
    /* 35 */
    "%s est connect\351\n"
    "Vous devez vous d\351finir comme racine pour pouvoir executer %s\n",
    /* 36 */
    "%s est absent : cet h\364te n'installe que des supports dont le fichier de sommes de "
    "contr\364le est sign\351 par une cl\351 de %s",
    /* 37 */
    "la signature %s ne prouve pas le fichier de sommes de contr\364le : elle est mauvaise ou "
    "endommag\351e, ou le fichier a \351t\351 modifi\351 apr\350s la signature",
    /* 38 */
    "le fichier de sommes de contr\364le %s est sign\351 par une cl\351 \340 laquelle cet h\364te "
    "ne fait pas confiance (aucune des cl\351s de %s)",
    /* 39 */
    "le r\351pertoire des cl\351s de confiance %s n'est pas s\373r : lui et chaque r\351pertoire "
    "au-dessus doivent \352tre des r\351pertoires de root o\371 personne d'autre ne peut \351crire "
    "(chown root DIR ; chmod go-w DIR)",
    /* 40 */
    "%s ne peut pas figurer parmi les cl\351s de confiance : seulement des fichiers "
    "ordinaires NOM.gpg de root, NOM fait uniquement de lettres, de chiffres et de . _ - + , "
    "= : @ %% (renommez tout autre, p. ex. mv 'media (1).gpg' media-1.gpg), sous forme "
    "binaire, o\371 personne d'autre ne peut \351crire (gpg --export CLEF > NOM.gpg ; pour "
    "une cl\351 en armure gpg --dearmor < CLEF.asc > NOM.gpg ; puis chown root NOM.gpg ; "
    "chmod 644 NOM.gpg)",
    /* 41 */
    "%s n'a pas de ligne dans le fichier de sommes de contr\364le %s et ne peut donc pas \352tre "
    "v\351rifi\351",
    /* 42 */
    "ERREUR : %s et %s donnent des r\351ponses diff\351rentes \340 la m\352me question ; n'en "
    "donnez qu'une.\n",
    /* 43 */
    "ERREUR : install doit \352tre suivi de la base o\371 installer, par exemple install "
    "/opt.\n",
    /* 44 */
    "%s : erreur d'\351criture sur la sortie standard : %s\n",
    /* 45 */
    "%s : erreur d'\351criture sur la sortie d'erreur standard : %s\n",
    /* 46 */
    "R\351ponse oui donn\351e par %s : l'installation continue.\n",
    /* 47 */
    "R\351ponse donn\351e par %s : attente de 30 secondes jusqu'\340 la fin de ces processus.\n",
    /* 48 */ "",
    /* 49 */
    "Il n'y a pas suffisamment d'espace dans %s pour effectuer l'installation. La "
    "zone de travail temporaire n\351cessite au moins %e octets. Relancez la "
    "proc\351dure d'installation en utilisant une zone de travail qui a suffisamment "
    "d'espace. \n"
    "p. ex.: 1. Utilisez /nouveau_chemin_zone_travail au lieu de /tmp\n"
    "    2. Ex\351cutez `setup /nouveau_chemin_zone_travail`\n",
    /* 50 */ "",
    /* 51 */ "",
    /* 52 */ "",
    /* 53 */ "",
    /* 54 */ "",
    /* 55 */
    "Il n'y a pas suffisamment d'espace dans %s pour effectuer l'installation. La "
    "zone d'installation n\351cessite au moins %e octets. Relancez la proc\351dure "
    "d'installation en utilisant une zone d'installation qui a suffisamment "
    "d'espace. \n"
    "p. ex.: 1. Utilisez /nouveau_chemin_installation au lieu de l'emplacement par "
    "d\351faut\n"
    "    2. Ex\351cutez 'setup install /nouveau_chemin_installation'\n",
    /* 56 */
    "Il n'y a pas suffisamment d'espace pour effectuer l'installation. Comme vous "
    "utilisez un r\351pertoire de travail, %s, sur la m\352me partition que le "
    "r\351pertoire d'installation s\351lectionn\351, %s, cette installation "
    "n\351cessite %e octets libres. Relancez l'installation en indiquant un autre "
    "emplacement pour le r\351pertoire de travail ou le r\351pertoire "
    "d'installation. Consultez le fichier Lisezmoi si vous avez besoin d'aide pour "
    "la syntaxe.",
    /* 57 */ "",
    /* 58 */ "",
    /* 59 */ "",
    /* 60 */ "impossible de d\351terminer version",
    /* 61 */ "",
    /* 62 */
    "\n"
    "Si un logiciel d'impression %s utilisant le d\351mon d'impression TolvarD\n"
    " est install\351, vous devez supprimer toutes vos files d'attente d'impression "
    "%s avant d'installer \n"
    "ce progiciel.\n"
    "\n"
    "REMARQUE : TolvarD se trouve dans le <r\351pertoire d'installation>/%s/%s\n",
    /* 63 */
    "\n"
    "Souhaitez-vous continuer avec l'installation ? [on] ",
    /* 64 */ "",
    /* 65 */
    "Impossible de d\351terminer l'espace n\351cessaire pour l'installation, isize "
    "manquant.\n",
    /* 66 */
    "\n"
    "Les processus suivants sont en cours.\n"
    "Le programme d'installation ne peut pas continuer tant qu'ils ne sont pas "
    "termin\351s :\n",
    /* 67 */ "Souhaitez-vous :\n",
    /* 68 */ "1.  attendre 30 secondes jusqu'\340 la fin de ces processus\n",
    /* 69 */ "2.  Quitter l'installation\n",
    /* 70 */
    "\n"
    "Entrez une s\351lection :  ",
    /* 71 */
    "ERREUR : %s (propri\351taire %s:%s, mode %s) peut \352tre modifi\351 par d'autres "
    "utilisateurs que root par son entr\351e d'ACL %s ; rien n'a \351t\351 chang\351. "
    "Chaque r\351pertoire de / jusqu'\340 l'endroit o\371 travaille le programme "
    "d'installation ne doit \352tre modifiable que par root (ou l'utilisateur qui "
    "l'ex\351cute). Retirez l'entr\351e (setfacl -x) ou utilisez un autre "
    "r\351pertoire.\n",
    /* 72 */
    "ERREUR : %s (propri\351taire %s:%s, mode %s) peut \352tre modifi\351 par des "
    "membres du groupe root autres que root : %s ; rien n'a \351t\351 chang\351. Tant "
    "que le groupe root a d'autres membres, aucun r\351pertoire o\371 travaille le "
    "programme d'installation ne peut \352tre modifiable par ce groupe. Fermez-le "
    "(chmod g-w) ou utilisez un autre r\351pertoire.\n",
    /* 73 */
    "ERREUR : %s (propri\351taire %s:%s, mode %s), que le programme d'installation "
    "cr\351ait, n'est pas le sien : un autre utilisateur l'a cr\351\351 avant lui ou "
    "peut le modifier. L'installation s'est arr\352t\351e avant d'y mettre quoi que ce "
    "soit. Supprimez-le, ou donnez-le \340 root et fermez-le, puis relancez le "
    "programme d'installation.\n",
    /* 74 */
    "%s est %s, pas un fichier ordinaire du r\351pertoire du support ; rien n'y a "
    "\351t\351 lu",
    /* 75 */
    "Le journal %s n'a pas pu \352tre cr\351\351 ou \351crit en entier : cette ex\351cution "
    "n'y est pas enti\350rement consign\351e.\n",
    /* 76 */
    "ERREUR : plus de place sur le syst\350me de fichiers mont\351 sur %s, "
    "o\371 %s \351tait copi\351 : la copie partielle a \351t\351 "
    "supprim\351e, l'installation dans %s est inchang\351e.\n",
    /* 77 */
    "ERREUR : la zone de travail %s n'est pas un "
    "r\351pertoire propre \340 cette ex\351cution : %s ; rien n'est install\351.\n",
    /* 78 */ "le syst\350me de fichiers est en lecture seule",
    /* 79 */ "ce n'est pas un r\351pertoire",
    /* 80 */
    "le fichier de sommes %s a une ligne mal form\351e pour %s : chaque ligne doit \352tre "
    "64 chiffres hexad\351cimaux, deux blancs (ou un blanc et *) et le nom du fichier, comme "
    "les \351crit sha256sum",
    /* 81 */
    "%s contient un octet NUL (ou le rapport de gpgv \340 son sujet en contient un), qui "
    "cacherait ce qui le suit ; le support est refus\351",
    /* 82 */
    "la signature %s ne prouve pas le fichier de sommes : la cl\351 qui l'a faite a "
    "\351t\351 r\351voqu\351e",
    /* 83 */
    "la signature %s ne prouve pas le fichier de sommes : la cl\351 qui l'a faite a expir\351",
    /* 84 */
    "la signature %s ne prouve pas le fichier de sommes : la signature a expir\351",
    /* 85 */
    "la signature %s ne prouve pas le fichier de sommes : son condens\351 est plus faible "
    "que SHA-256 (signez avec gpg --digest-algo SHA256, SHA384 ou SHA512)",
    /* 86 */
    "le fichier de cl\351 %s ne peut pas \352tre lu comme cl\351 OpenPGP ; il est ignor\351 "
    "et ses cl\351s ne sont pas de confiance",
    /* 87 */
    "cet h\364te fait confiance aux cl\351s de %s mais n'a pas gpgv pour v\351rifier une "
    "signature (installez le paquet Debian gpgv)",
    /* 88 */
    "la version %s du support pr\351c\350de la version install\351e %s ; cet h\364te ne "
    "l'installe qu'avec --allow-downgrade",
    /* 89 */
    "la version %s du support pr\351c\350de la version install\351e %s ; elle est "
    "install\351e quand m\352me",
    /* 90 */ "aucune installation n'est enregistr\351e",
    /* 91 */
    "ERREUR : l'enregistrement de l'installation n'est pas fiable : %s (%s %s %s) n'est pas un "
    "fichier ou un r\351pertoire de root que personne d'autre ne peut modifier ; rien n'a \351t\351 fait\n",
    /* 92 */
    "ERREUR : %s ne peut pas \352tre utilis\351 avec %s.\n",
    /* 93 */
    "ERREUR : l'enregistrement %s n'est pas fiable : sa ligne %d n'est pas une ligne "
    "d'enregistrement ; rien n'a \351t\351 fait\n",
    /* 94 */ "%s est conserv\351 : il a chang\351 depuis son installation\n",
    /* 95 */ "%s est conserv\351 : il n'appartient pas au logiciel\n",
    /* 96 */ "ERREUR : %s n'a pas pu \352tre supprim\351\n",
    /* 97 */
    "AVERTISSEMENT : la file d'impression %s (%s) utilise encore %s ; supprimez la file ou "
    "changez son filtre\n",
    /* 98 */ "Le logiciel est supprim\351.\n",
    /* 99 */
    "Le logiciel est supprim\351 sauf %d entr\351es, qui restent enregistr\351es dans %s ; setup "
    "--remove --purge supprime aussi celles qui ont chang\351 ou que d'autres utilisateurs y ont mises.\n",
    /* 100 */
    "elle appartient \340 un autre utilisateur, ou d'autres peuvent modifier "
    "un r\351pertoire du chemin",
    /* 101 */
    "ERREUR : %s est un point de montage : une installation sur un volume "
    "propre n'est pas d\351plac\351e, et rien n'a \351t\351 modifi\351. "
    "Mettez-la \340 jour l\340 o\371 elle est (setup sans install BASE), ou "
    "copiez-la vous-m\352me au nouvel endroit et montez-y le volume.\n",
    /* 102 */
    "ERREUR : %s ne contient aucune installation (pas de fichier tvqadmin) et "
    "n'est pas vide : rien n'a \351t\351 modifi\351. D\351placez-le ou "
    "videz-le, puis relancez setup.\n",
    /* 103 */
    "ERREUR : %s est un lien vers %s, qui n'existe pas : rien n'a \351t\351 "
    "modifi\351. Supprimez le lien ou r\351tablissez son r\351pertoire, puis "
    "relancez setup.\n",
    /* 104 */ "La suppression a \351t\351 arr\352t\351e selon la r\351ponse ; rien n'a \351t\351 supprim\351.\n",
    /* 105 */
    "ERREUR : l'enregistrement d\351crit l'installation dans %s, mais /usr/Varen/tvxx m\350ne maintenant "
    "\340 %s : un d\351placement a \351t\351 interrompu apr\350s sa derni\350re \351tape. Rien n'a "
    "\351t\351 supprim\351. Relancez setup pour terminer le d\351placement, puis setup --remove.\n",
    /* 106 */
    "ERREUR : la suppression a \351t\351 interrompue par %s et s'est arr\352t\351e ; relancez %s "
    "--remove pour la terminer.\n",
};
static_assert(AllTextsPresent(NLS_FRENCH), "NLS_FRENCH needs a text at every id");

constexpr const char *NLS_GERMAN[NLS_COUNT] = {
    /*  0 */ "",
    /*  1 */
    "FEHLER: Der Pfad %s enth\344lt unzul\344ssige Zeichen. Nur Buchstaben, Ziffern "
    "und die Zeichen / . _ - + , = : @ %% verwenden.\n",
    /*  2 */
    "Von der Standardeingabe konnte keine Antwort gelesen werden; die Installation "
    "wird abgebrochen.\n",
    /*  3 */ "FEHLER: %s konnte nicht ge\366ffnet werden",
    /*  4 */
    "%s enth\344lt nicht gen\374gend Kapazit\344t zur Durchf\374hrung der "
    "Installationsvorg\344nge. Platz freigeben oder einen anderen "
    "Installationsbereich w\344hlen.\n",
    /*  5 */
    "FEHLER: Der Arbeitsbereich %s ist kein eigenes Verzeichnis dieses Laufs (er "
    "konnte nicht neu angelegt werden, oder er ist kein f\374r andere gesperrtes "
    "Verzeichnis dieses Benutzers); es wird nichts installiert.\n",
    /*  6 */
    "FEHLER: Eine andere Installation l\344uft bereits (%s ist gesperrt); versuchen "
    "Sie es erneut, wenn sie beendet ist.\n",
    /*  7 */
    "%d Schritt(e) der Installation sind fehlgeschlagen; der erste davon, wie protokolliert:\n",
    /*  8 */ "Alle Fehler stehen im Protokoll %s.\n",
    /*  9 */ "die Listendatei %s nennt eine Datei mit mehr als %d Zeichen: %s",
    /* 10 */ "die Listendatei %s nennt keine zu kopierende Datei",
    /* 11 */ "die Listendatei %s nennt %s, das kein einfacher Dateiname ihres Verzeichnisses ist",
    /* 12 */
    "%s fehlt oder ist besch\344digt: es stimmt nicht mit der Pr\374fsummendatei %s \374berein",
    /* 13 */
    "FEHLER: %s (Eigent\374mer %s:%s, Modus %s) kann von anderen Benutzern als root "
    "ge\344ndert werden; es wurde nichts ge\344ndert. Jedes Verzeichnis von / bis "
    "dorthin, wo das Installationsprogramm arbeitet, muss root (oder dem "
    "ausf\374hrenden Benutzer) geh\366ren und darf f\374r niemanden sonst beschreibbar "
    "sein, au\337er es ist wie /tmp sticky. Verwenden Sie ein anderes Verzeichnis, "
    "oder geben Sie dieses root und schlie\337en Sie es (chown root:root, chmod go-w).\n",
    /* 14 */
    "FEHLER: Die Sperrdatei %s ist keine normale Datei von root mit nur einem "
    "Namen (Eigent\374mer %s:%s, Modus %s, Linkanzahl %lu); es wurde nichts "
    "ge\344ndert. Entfernen Sie sie und starten Sie das Installationsprogramm erneut.\n",
    /* 15 */
    "FEHLER: %s ist kein Verzeichnis; es wurde nichts ge\344ndert.\n",
    /* 16 */
    "FEHLER: Die Sperrdatei %s kann nicht angelegt oder ge\366ffnet werden (%s); es "
    "wurde nichts ge\344ndert.\n",
    /* 17 */
    "FEHLER: Der Lauf wurde durch %s unterbrochen und angehalten; starten Sie %s "
    "erneut, um die Installation abzuschlie\337en.\n",
    /* 18 */
    "das lpr des Systems und die gefundenen Druckdienste entscheiden den Spooler "
    "nicht: %s nennt CUPS; schreiben Sie \" LPRng \" hinein, wenn "
    "LPRng die Druckwarteschlangen betreibt",
    /* 19 */ "",
    /* 20 */ "",
    /* 21 */ "Datei kann nicht ge\366ffnet werden, %sInstallieren/Disketten",
    /* 22 */
    "Aufruf: %s [WORKDIR] [install BASE] [--medium DIR] [--allow-downgrade] [-v]\n"
    "  WORKDIR       der Arbeitsbereich ist WORKDIR/VarenInstall (Vorgabe\n"
    "                /tmp/VarenInstall); WORKDIR wird angelegt, wenn es fehlt\n"
    "  install BASE  nach BASE/Varen/tvxx installieren (Vorgabe: die Basis der\n"
    "                fr\374heren Installation, sonst /usr)\n"
    "  --medium DIR  vom Datentr\344ger in DIR installieren (Vorgabe: das\n"
    "                Verzeichnis, in dem dieses Programm liegt)\n"
    "  --allow-downgrade\n"
    "                eine \344ltere als die installierte Version installieren\n"
    "  -v, --version die Version ausgeben und beenden\n"
    "  -h, --help    diesen Text ausgeben und beenden\n"
    "  --yes, --no   die Frage, ob es weitergehen soll, mit ja oder nein beantworten\n"
    "  --running=wait, --running=quit\n"
    "                die Frage nach laufenden Programmen beantworten: warten, bis\n"
    "                sie enden, oder beenden (Status 4)\n"
    "  --list        den Pfad jedes Eintrags der verzeichneten Installation ausgeben\n"
    "  --verify      das System mit dem Verzeichnis vergleichen: eine Zeile f\374r\n"
    "                jeden abweichenden Eintrag (Status 1); Status 5, wenn nichts\n"
    "                verzeichnet ist\n"
    "  --remove [--purge]\n"
    "                die verzeichnete Installation vom System entfernen; mit --purge\n"
    "                auch, was seither ge\344ndert oder in ihre Verzeichnisse gelegt\n"
    "                wurde\n"
    "Ein Verzeichnis, dessen Name mit \"-\" beginnt, wird ./NAME geschrieben. "
    "Handbuch: man 8 setup\n",
    /* 23 */
    "FEHLER: %s ist an dieser Stelle keine Option; ein Verzeichnis, dessen Name "
    "mit \"-\" beginnt, wird ./%s geschrieben\n",
    /* 24 */ " Kopieren des Datentr\344gers ",
    /* 25 */ " Pr\374fen des Datentr\344gers ",
    /* 26 */ " Zusammenf\374gen und Entpacken ",
    /* 27 */ " Installieren der Dateien ",
    /* 28 */ " Schreiben der Skripte ",
    /* 29 */ " Ausf\374hren von tvqadmin -upgrade ",
    /* 30 */
    "FEHLER: nicht gen\374gend freier Platz f\374r die Installation; es wurde nichts "
    "installiert.\n",
    /* 31 */
    "FEHLER: die Gr\366\337endatei %s fehlt oder ist nicht lesbar; es wurde nichts installiert.\n",
    /* 32 */ "FEHLER: nur root kann installieren; es wurde nichts installiert.\n",
    /* 33 */ "Die Installation wurde wie gew\374nscht abgebrochen; es wurde nichts installiert.\n",
    /* 34 */
    "Die Installation wurde wie gew\374nscht abgebrochen, w\344hrend Programme des Pakets liefen: "
    "sie ist unvollst\344ndig. Setup erneut ausf\374hren, um sie abzuschlie\337en.\n",
    /* 35 */
    "%s ist angemeldet\n"
    "Zum Ausf\374hren von %s muss man root sein\n",
    /* 36 */
    "%s fehlt: dieser Rechner installiert nur Datentr\344ger, deren Pr\374fsummendatei mit einem "
    "Schl\374ssel aus %s signiert ist",
    /* 37 */
    "die Signatur %s beweist die Pr\374fsummendatei nicht: sie ist falsch oder besch\344digt, oder "
    "die Datei wurde nach dem Signieren ge\344ndert",
    /* 38 */
    "die Pr\374fsummendatei %s ist mit einem Schl\374ssel signiert, dem dieser Rechner nicht "
    "vertraut (keiner der Schl\374ssel in %s)",
    /* 39 */
    "das Verzeichnis der vertrauensw\374rdigen Schl\374ssel %s ist nicht sicher: es und jedes "
    "Verzeichnis dar\374ber m\374ssen Verzeichnisse von root sein, in die sonst niemand schreiben "
    "darf (chown root DIR; chmod go-w DIR)",
    /* 40 */
    "%s darf nicht unter den vertrauensw\374rdigen Schl\374sseln stehen: nur regul\344re "
    "Dateien NAME.gpg von root, NAME nur aus Buchstaben, Ziffern und . _ - + , = : @ %% "
    "(jede andere umbenennen, z. B. mv 'media (1).gpg' media-1.gpg), in bin\344rer Form, in "
    "die sonst niemand schreiben darf (gpg --export SCHLUESSEL > NAME.gpg; f\374r einen "
    "Schl\374ssel in ASCII-H\374lle gpg --dearmor < SCHLUESSEL.asc > NAME.gpg; dann chown "
    "root NAME.gpg; chmod 644 NAME.gpg)",
    /* 41 */
    "%s hat keine Zeile in der Pr\374fsummendatei %s und kann daher nicht gepr\374ft werden",
    /* 42 */
    "FEHLER: %s und %s beantworten dieselbe Frage verschieden; nur eine davon angeben.\n",
    /* 43 */
    "FEHLER: auf install muss die Basis folgen, in die installiert wird, zum Beispiel install "
    "/opt.\n",
    /* 44 */
    "%s: Schreibfehler auf der Standardausgabe: %s\n",
    /* 45 */
    "%s: Schreibfehler auf der Standardfehlerausgabe: %s\n",
    /* 46 */
    "Mit %s ja geantwortet: die Installation geht weiter.\n",
    /* 47 */
    "Mit %s geantwortet: 30 Sekunden darauf warten, dass diese Prozesse beendet werden.\n",
    /* 48 */ "",
    /* 49 */
    "%s enth\344lt nicht gen\374gend Kapazit\344t zur Durchf\374hrung der "
    "Installationsvorg\344nge. Der zeitweilige Arbeitsbereich sollte mindestens %e "
    "Bytes umfassen. Das Installationsverfahren in einem Arbeitsbereich mit der "
    "erforderlichen Kapazit\344t erneut beginnen. \n"
    "z. B.: 1. /neuer_Arbeitsbereich_Pfad anstelle von /tmp verwenden. 2. `setup "
    "neuer_Arbeitsbereich_Pfad` ausf\374hren\n",
    /* 50 */ "",
    /* 51 */ "",
    /* 52 */ "",
    /* 53 */ "",
    /* 54 */ "",
    /* 55 */
    "%s enth\344lt nicht gen\374gend Kapazit\344t zur Durchf\374hrung der "
    "Installationsvorg\344nge. Der Installationsbereich sollte mindestens %e Bytes "
    "umfassen. Das Installationsverfahren in einem Arbeitsbereich mit der "
    "erforderlichen Kapazit\344t erneut beginnen. \n"
    "z. B.: 1. /neuer_Installations_Pfad anstelle der Standardposition verwenden\n"
    "     2. `setup installieren /neuer_Installations_Pfad` ausf\374hren\n",
    /* 56 */
    "Es ist nicht gen\374gend Kapazit\344t zur Durchf\374hrung der "
    "Installationsvorg\344nge vorhanden. Da ein Arbeitsverzeichnis %s auf der "
    "gleichen Partition wie das gew\344hlte Installationsverzeichnis %s verwendet "
    "wird, erfordert diese Installation %e freie Bytes. Bitte die Installation "
    "wiederholen, dabei eine andere Position f\374r das Arbeitsverzeichnis bzw. das "
    "Installationsverzeichnis festlegen. F\374r Hilfe mit der entsprechenden Syntax "
    "siehe die Readme-Datei (Liesmich-Datei).",
    /* 57 */ "",
    /* 58 */ "",
    /* 59 */ "",
    /* 60 */ "Version konnte nicht festgestellt werden.",
    /* 61 */ "",
    /* 62 */
    "\n"
    "Wenn gegenw\344rtig %s-Druckersoftware installiert ist, die den TolvarD\n"
    "print Daemon verwendet, m\374ssen alle %s-Druckwarteschlangen vor der "
    "Installation dieser Software gel\366scht werden.\n"
    "\n"
    "HINWEIS: TolvarD befindet sich in <Installationsverzeichnis>/%s/%s\n",
    /* 63 */
    "\n"
    "Weiter mit der Installation? [jn] ",
    /* 64 */ "",
    /* 65 */
    "Erforderlicher Platz f\374r Installation konnte nicht festgestellt werden, "
    "isize fehlt.\n",
    /* 66 */
    "\n"
    "Die folgenden Prozesse laufen.\n"
    "Der Installierer kann erst fortfahren, wenn sie beendet werden:\n",
    /* 67 */ "M\366chten Sie:\n",
    /* 68 */ "1.  30 Sekunden darauf warten, dass diese Verfahren beendet werden?\n",
    /* 69 */ "2.  die Installation verlassen?\n",
    /* 70 */
    "\n"
    "eine Wahl eingeben:  ",
    /* 71 */
    "FEHLER: %s (Eigent\374mer %s:%s, Modus %s) kann von anderen Benutzern als root "
    "\374ber seinen ACL-Eintrag %s ge\344ndert werden; es wurde nichts ge\344ndert. "
    "Jedes Verzeichnis von / bis dorthin, wo das Installationsprogramm arbeitet, "
    "darf nur f\374r root (oder den ausf\374hrenden Benutzer) beschreibbar sein. "
    "Entfernen Sie den Eintrag (setfacl -x) oder verwenden Sie ein anderes "
    "Verzeichnis.\n",
    /* 72 */
    "FEHLER: %s (Eigent\374mer %s:%s, Modus %s) kann von Mitgliedern der Gruppe root "
    "au\337er root ge\344ndert werden: %s; es wurde nichts ge\344ndert. Solange die "
    "Gruppe root weitere Mitglieder hat, darf kein Verzeichnis, in dem das "
    "Installationsprogramm arbeitet, f\374r diese Gruppe beschreibbar sein. "
    "Schlie\337en Sie es (chmod g-w) oder verwenden Sie ein anderes Verzeichnis.\n",
    /* 73 */
    "FEHLER: %s (Eigent\374mer %s:%s, Modus %s), das das Installationsprogramm "
    "gerade anlegte, ist nicht sein eigenes: ein anderer Benutzer hat es zuerst "
    "angelegt oder kann es \344ndern. Die Installation hielt an, bevor etwas "
    "hineingelegt wurde. Entfernen Sie es, oder geben Sie es root und schlie\337en "
    "Sie es, und starten Sie das Installationsprogramm erneut.\n",
    /* 74 */
    "%s ist %s, keine regul\344re Datei des Verzeichnisses des Mediums; nichts wurde "
    "daraus gelesen",
    /* 75 */
    "Das Protokoll %s konnte nicht angelegt oder nicht vollst\344ndig geschrieben werden: "
    "dieser Lauf ist nicht ganz aufgezeichnet.\n",
    /* 76 */
    "FEHLER: Kein Platz mehr auf dem Dateisystem unter %s, wohin %s kopiert "
    "wurde: die Teilkopie wurde entfernt, die Installation in %s ist "
    "unver\344ndert.\n",
    /* 77 */
    "FEHLER: Der Arbeitsbereich %s ist kein eigenes "
    "Verzeichnis dieses Laufs: %s; es wird nichts installiert.\n",
    /* 78 */ "das Dateisystem ist schreibgesch\374tzt",
    /* 79 */ "er ist kein Verzeichnis",
    /* 80 */
    "die Pr\374fsummendatei %s hat eine fehlerhafte Zeile f\374r %s: jede Zeile muss aus 64 "
    "Hexadezimalziffern, zwei Leerzeichen (oder einem Leerzeichen und *) und dem Dateinamen "
    "bestehen, wie sha256sum sie schreibt",
    /* 81 */
    "%s enth\344lt ein NUL-Byte (oder der Bericht von gpgv dar\374ber), das Folgendes "
    "verbergen w\374rde; der Datentr\344ger wird abgelehnt",
    /* 82 */
    "die Signatur %s beweist die Pr\374fsummendatei nicht: der Schl\374ssel, der sie "
    "erstellt hat, wurde widerrufen",
    /* 83 */
    "die Signatur %s beweist die Pr\374fsummendatei nicht: der Schl\374ssel, der sie "
    "erstellt hat, ist abgelaufen",
    /* 84 */
    "die Signatur %s beweist die Pr\374fsummendatei nicht: die Signatur ist abgelaufen",
    /* 85 */
    "die Signatur %s beweist die Pr\374fsummendatei nicht: ihr Hashverfahren ist "
    "schw\344cher als SHA-256 (mit gpg --digest-algo SHA256, SHA384 oder SHA512 signieren)",
    /* 86 */
    "die Schl\374sseldatei %s kann nicht als OpenPGP-Schl\374ssel gelesen werden; sie wird "
    "\374bergangen und ihren Schl\374sseln wird nicht vertraut",
    /* 87 */
    "dieser Rechner vertraut den Schl\374sseln in %s, hat aber kein gpgv, um eine Signatur "
    "zu pr\374fen (das Debian-Paket gpgv installieren)",
    /* 88 */
    "die Version %s des Datentr\344gers ist \344lter als die installierte Version %s; dieser "
    "Rechner installiert sie nur mit --allow-downgrade",
    /* 89 */
    "die Version %s des Datentr\344gers ist \344lter als die installierte Version %s; sie "
    "wird trotzdem installiert",
    /* 90 */ "es ist keine Installation verzeichnet",
    /* 91 */
    "FEHLER: dem Verzeichnis der Installation ist nicht zu trauen: %s (%s %s %s) ist keine Datei und "
    "kein Verzeichnis von root, das niemand sonst \344ndern kann; nichts wurde getan\n",
    /* 92 */
    "FEHLER: %s kann nicht zusammen mit %s verwendet werden.\n",
    /* 93 */
    "FEHLER: dem Verzeichnis %s ist nicht zu trauen: seine Zeile %d ist keine Verzeichniszeile; "
    "nichts wurde getan\n",
    /* 94 */ "%s bleibt erhalten: es wurde seit der Installation ge\344ndert\n",
    /* 95 */ "%s bleibt erhalten: es geh\366rt nicht zum Paket\n",
    /* 96 */ "FEHLER: %s konnte nicht entfernt werden\n",
    /* 97 */
    "WARNUNG: die Druckwarteschlange %s (%s) verwendet noch %s; entfernen Sie die Warteschlange "
    "oder \344ndern Sie ihren Filter\n",
    /* 98 */ "Das Paket ist entfernt.\n",
    /* 99 */
    "Das Paket ist entfernt bis auf %d Eintr\344ge, die in %s verzeichnet bleiben; setup --remove "
    "--purge entfernt auch die ge\344nderten und die von anderen Benutzern dort abgelegten.\n",
    /* 100 */
    "er geh\366rt einem anderen Benutzer, oder andere k\366nnen ein "
    "Verzeichnis auf dem Weg dorthin \344ndern",
    /* 101 */
    "FEHLER: %s ist ein Einh\344ngepunkt: eine Installation auf einem eigenen "
    "Datentr\344ger wird nicht verschoben, und nichts wurde ge\344ndert. "
    "Aktualisieren Sie sie an ihrem Ort (setup ohne install BASE), oder "
    "kopieren Sie sie selbst an den neuen Ort und h\344ngen Sie den "
    "Datentr\344ger dort ein.\n",
    /* 102 */
    "FEHLER: %s enth\344lt keine Installation (keine Datei tvqadmin) und ist "
    "nicht leer: nichts wurde ge\344ndert. Verschieben oder leeren Sie es, "
    "dann starten Sie setup erneut.\n",
    /* 103 */
    "FEHLER: %s ist ein Link auf %s, das nicht existiert: nichts wurde "
    "ge\344ndert. Entfernen Sie den Link oder stellen Sie sein Verzeichnis "
    "wieder her, dann starten Sie setup erneut.\n",
    /* 104 */ "Die Entfernung wurde wie gew\374nscht abgebrochen; es wurde nichts entfernt.\n",
    /* 105 */
    "FEHLER: Das Verzeichnis der Installation beschreibt %s, aber /usr/Varen/tvxx f\374hrt jetzt zu "
    "%s: ein Verschieben wurde nach seinem letzten Schritt unterbrochen. Es wurde nichts entfernt. "
    "Starten Sie setup erneut, um das Verschieben abzuschlie\337en, dann setup --remove.\n",
    /* 106 */
    "FEHLER: Die Entfernung wurde durch %s unterbrochen und angehalten; starten Sie %s --remove "
    "erneut, um sie abzuschlie\337en.\n",
};
static_assert(AllTextsPresent(NLS_GERMAN), "NLS_GERMAN needs a text at every id");

constexpr const char *NLS_PORTUGUESE[NLS_COUNT] = {
    /*  0 */ "",
    /*  1 */
    "ERRO: o caminho %s cont\351m caracteres n\343o permitidos. Utilize apenas "
    "letras, d\355gitos e os caracteres / . _ - + , = : @ %%\n",
    /*  2 */
    "Nenhuma resposta p\364de ser lida da entrada padr\343o; a instala\347\343o foi "
    "interrompida.\n",
    /*  3 */ "ERRO: imposs\355vel abrir %s",
    /*  4 */
    "N\343o h\341 espa\347o suficiente em %s para executar as atividades de "
    "instala\347\343o. Libere espa\347o ou escolha outra \341rea de "
    "instala\347\343o.\n",
    /*  5 */
    "ERRO: a \341rea de trabalho %s n\343o \351 um diret\363rio pr\363prio desta "
    "execu\347\343o (n\343o p\364de ser criada de novo, ou n\343o \351 um diret\363rio "
    "deste usu\341rio fechado aos outros); nada \351 instalado.\n",
    /*  6 */
    "ERRO: outra instala\347\343o est\341 em andamento (%s est\341 bloqueado); tente "
    "novamente quando ela terminar.\n",
    /*  7 */ "%d etapa(s) da instala\347\343o falharam; a primeira delas, conforme registrada:\n",
    /*  8 */ "Todas as falhas est\343o no registro %s.\n",
    /*  9 */ "o arquivo de lista %s nomeia um arquivo com mais de %d caracteres: %s",
    /* 10 */ "o arquivo de lista %s n\343o nomeia nenhum arquivo a copiar",
    /* 11 */
    "o arquivo de lista %s nomeia %s, que n\343o \351 um nome de arquivo simples do seu "
    "diret\363rio",
    /* 12 */
    "%s est\341 ausente ou danificado: n\343o confere com o arquivo de somas de "
    "verifica\347\343o %s",
    /* 13 */
    "ERRO: %s (dono %s:%s, modo %s) pode ser alterado por usu\341rios que n\343o s\343o "
    "root; nada foi alterado. Cada diret\363rio de / at\351 onde o instalador trabalha "
    "deve pertencer ao root (ou ao usu\341rio que o executa) e n\343o pode ser "
    "grav\341vel por mais ningu\351m, a menos que seja sticky como /tmp. Use outro "
    "diret\363rio, ou torne este do root e feche-o (chown root:root, chmod go-w).\n",
    /* 14 */
    "ERRO: o arquivo de bloqueio %s n\343o \351 um arquivo comum do root com um s\363 "
    "nome (dono %s:%s, modo %s, n\372mero de links %lu); nada foi alterado. "
    "Remova-o e inicie o instalador novamente.\n",
    /* 15 */
    "ERRO: %s n\343o \351 um diret\363rio; nada foi alterado.\n",
    /* 16 */
    "ERRO: n\343o \351 poss\355vel criar nem abrir o arquivo de bloqueio %s (%s); nada "
    "foi alterado.\n",
    /* 17 */
    "ERRO: a execu\347\343o foi interrompida por %s e parou; execute %s novamente para "
    "concluir a instala\347\343o.\n",
    /* 18 */
    "o lpr que o sistema executa e os daemons de impress\343o encontrados n\343o "
    "decidem o spooler: %s indica CUPS; escreva \" LPRng \" nele se o LPRng "
    "gere as filas de impress\343o",
    /* 19 */ "",
    /* 20 */ "",
    /* 21 */ "imposs\355vel abrir o arquivo, Instalar/discos%s",
    /* 22 */
    "Uso: %s [WORKDIR] [install BASE] [--medium DIR] [--allow-downgrade] [-v]\n"
    "  WORKDIR       a \341rea de trabalho \351 WORKDIR/VarenInstall (padr\343o\n"
    "                /tmp/VarenInstall); WORKDIR \351 criado se n\343o existir\n"
    "  install BASE  instala em BASE/Varen/tvxx (padr\343o: a base da instala\347\343o\n"
    "                anterior, sen\343o /usr)\n"
    "  --medium DIR  instalar a partir da m\355dia em DIR (padr\343o: o diret\363rio deste\n"
    "                programa)\n"
    "  --allow-downgrade\n"
    "                instalar uma vers\343o anterior \340 instalada\n"
    "  -v, --version mostra a vers\343o e sai\n"
    "  -h, --help    mostra este texto e sai\n"
    "  --yes, --no   responde sim ou n\343o \340 pergunta se a instala\347\343o continua\n"
    "  --running=wait, --running=quit\n"
    "                responde \340 pergunta sobre programas em execu\347\343o: aguarda\n"
    "                que terminem, ou sai (status 4)\n"
    "  --list        mostra o caminho de cada entrada da instala\347\343o registada\n"
    "  --verify      compara o sistema com o registo: uma linha por cada entrada\n"
    "                que difere (status 1); status 5 se nada estiver registado\n"
    "  --remove [--purge]\n"
    "                retira do sistema a instala\347\343o registada; com --purge\n"
    "                tamb\351m o que foi alterado desde ent\343o ou posto nos seus\n"
    "                diret\363rios\n"
    "Um diret\363rio cujo nome come\347a com \"-\" \351 escrito ./NOME. Manual: man 8 "
    "setup\n",
    /* 23 */
    "ERRO: %s n\343o \351 uma op\347\343o neste lugar; um diret\363rio cujo nome "
    "come\347a com \"-\" "
    "\351 escrito ./%s\n",
    /* 24 */ " copiando a m\355dia ",
    /* 25 */ " verificando a m\355dia ",
    /* 26 */ " juntando e descompactando ",
    /* 27 */ " instalando os arquivos ",
    /* 28 */ " gravando os scripts ",
    /* 29 */ " executando tvqadmin -upgrade ",
    /* 30 */
    "ERRO: n\343o h\341 espa\347o livre suficiente para a instala\347\343o; nada foi instalado.\n",
    /* 31 */ "ERRO: o arquivo de tamanho %s est\341 ausente ou ileg\355vel; nada foi instalado.\n",
    /* 32 */ "ERRO: somente root pode instalar; nada foi instalado.\n",
    /* 33 */ "A instala\347\343o foi interrompida conforme a resposta; nada foi instalado.\n",
    /* 34 */
    "A instala\347\343o foi interrompida conforme a resposta enquanto programas do pacote estavam "
    "em execu\347\343o: ela est\341 incompleta. Execute setup novamente para complet\341-la.\n",
    /* 35 */
    "%s fez login\n"
    "Voc\352 deve tornar-se root para executar %s\n",
    /* 36 */
    "%s est\341 ausente: este sistema s\363 instala m\355dias cujo arquivo de somas de "
    "verifica\347\343o esteja assinado por uma chave em %s",
    /* 37 */
    "a assinatura %s n\343o prova o arquivo de somas de verifica\347\343o: est\341 incorreta ou "
    "danificada, ou o arquivo foi alterado depois de assinado",
    /* 38 */
    "o arquivo de somas de verifica\347\343o %s est\341 assinado por uma chave em que este sistema "
    "n\343o confia (nenhuma das chaves em %s)",
    /* 39 */
    "o diret\363rio de chaves confi\341veis %s n\343o \351 seguro: ele e cada diret\363rio acima "
    "dele devem ser diret\363rios de root em que ningu\351m mais possa escrever (chown root DIR; "
    "chmod go-w DIR)",
    /* 40 */
    "%s n\343o pode estar entre as chaves confi\341veis: s\363 arquivos regulares NOME.gpg "
    "de root, com NOME feito s\363 de letras, d\355gitos e . _ - + , = : @ %% (renomeie "
    "qualquer outro, p. ex. mv 'media (1).gpg' media-1.gpg), em forma bin\341ria, em que "
    "ningu\351m mais possa escrever (gpg --export CHAVE > NOME.gpg; para uma chave com "
    "armadura gpg --dearmor < CHAVE.asc > NOME.gpg; depois chown root NOME.gpg; chmod 644 "
    "NOME.gpg)",
    /* 41 */
    "%s n\343o tem linha no arquivo de somas de verifica\347\343o %s e por isso n\343o pode ser "
    "verificado",
    /* 42 */
    "ERRO: %s e %s d\343o respostas diferentes \340 mesma pergunta; informe apenas uma delas.\n",
    /* 43 */
    "ERRO: install deve ser seguido da base onde instalar, por exemplo install /opt.\n",
    /* 44 */
    "%s: erro de grava\347\343o na sa\355da padr\343o: %s\n",
    /* 45 */
    "%s: erro de grava\347\343o na sa\355da de erro padr\343o: %s\n",
    /* 46 */
    "Respondido sim por %s: a instala\347\343o continua.\n",
    /* 47 */
    "Respondido por %s: aguardando 30 segundos, at\351 que os processos sejam conclu\355dos.\n",
    /* 48 */ "",
    /* 49 */
    "N\343o h\341 espa\347o suficiente em %s para executar as atividades de "
    "instala\347\343o. A \341rea de trabalho tempor\341ria deve ter pelo menos %e "
    "bytes. Reinicie o procedimento de instala\347\343o usando uma \341rea de "
    "trabalho com espa\347o suficiente. \n"
    "ie: 1. Utilize o /caminho_nova_\341rea_trabalho em vez de /tmp\n"
    "    2. Execute `configura\347\343o /caminho_nova_\341rea_trabalho`\n",
    /* 50 */ "",
    /* 51 */ "",
    /* 52 */ "",
    /* 53 */ "",
    /* 54 */ "",
    /* 55 */
    "N\343o h\341 espa\347o suficiente em %s para executar as atividades de "
    "instala\347\343o. A \341rea de instala\347\343o deve ter pelo menos %e bytes. "
    "Reinicie o procedimento de instala\347\343o usando uma \341rea com espa\347o "
    "suficiente. \n"
    "ie: 1. Utilize /novo_caminho_instala\347\343o em vez da localiza\347\343o "
    "padr\343o\n"
    "    2. Execute 'configura\347\343o instalar /novo_caminho_instala\347\343o'\n",
    /* 56 */
    "N\343o h\341 espa\347o suficiente para executar as atividades de "
    "instala\347\343o. Como voc\352 est\341 usando um diret\363rio de trabalho, %s, "
    "na mesma parti\347\343o do diret\363rio de instala\347\343o selecionado, %s, "
    "esta instala\347\343o requer %e bytes livres. Execute novamente a "
    "instala\347\343o especificando um local diferente para o diret\363rio de "
    "trabalho ou o diret\363rio de instala\347\343o. Consulte o arquivo Leiame se "
    "precisar de ajuda com a sintaxe.",
    /* 57 */ "",
    /* 58 */ "",
    /* 59 */ "",
    /* 60 */ "falha ts ao obter vers\343o",
    /* 61 */ "",
    /* 62 */
    "\n"
    "Se o software da impressora %s que utiliza o daemon de impress\343o\n"
    "TolvarD estiver atualmente instalado, voc\352 dever\341 excluir todas as filas "
    "de impress\343o %s antes de instalar\n"
    "este pacote.\n"
    "\n"
    "NOTA: TolvarD est\341 localizado no <diret\363rio de instala\347\343o>/%s/%s\n",
    /* 63 */
    "\n"
    "Deseja continuar com a instala\347\343o? [sn] ",
    /* 64 */ "",
    /* 65 */
    "Imposs\355vel determinar a quantidade de espa\347o necess\341ria "
    "\340 instala\347\343o, tamanho ausente.\n",
    /* 66 */
    "\n"
    "Os seguintes processos est\343o em execu\347\343o.\n"
    "O instalador n\343o poder\341 prosseguir at\351 que sejam conclu\355dos:\n",
    /* 67 */ "Voc\352 gostaria de:\n",
    /* 68 */ "1.  Aguardar 30 segundos, at\351 que os processos sejam conclu\355dos\n",
    /* 69 */ "2.  Sair da instala\347\343o\n",
    /* 70 */
    "\n"
    "Digite uma sele\347\343o:  ",
    /* 71 */
    "ERRO: %s (dono %s:%s, modo %s) pode ser alterado por usu\341rios que n\343o s\343o "
    "root atrav\351s da sua entrada de ACL %s; nada foi alterado. Cada diret\363rio "
    "de / at\351 onde o instalador trabalha s\363 pode ser grav\341vel pelo root (ou "
    "pelo usu\341rio que o executa). Remova a entrada (setfacl -x) ou use outro "
    "diret\363rio.\n",
    /* 72 */
    "ERRO: %s (dono %s:%s, modo %s) pode ser alterado por membros do grupo root "
    "que n\343o s\343o root: %s; nada foi alterado. Enquanto o grupo root tiver outros "
    "membros, nenhum diret\363rio onde o instalador trabalha pode ser grav\341vel "
    "por esse grupo. Feche-o (chmod g-w) ou use outro diret\363rio.\n",
    /* 73 */
    "ERRO: %s (dono %s:%s, modo %s), que o instalador estava criando, n\343o \351 "
    "dele: outro usu\341rio o criou antes ou pode alter\341-lo. O instalador parou "
    "antes de colocar qualquer coisa nele. Remova-o, ou torne-o do root e feche-o, "
    "e execute o instalador de novo.\n",
    /* 74 */
    "%s \351 %s, n\343o um arquivo regular do diret\363rio da m\355dia; nada foi lido dele",
    /* 75 */
    "N\343o foi poss\355vel criar ou escrever por inteiro o registro %s: esta execu\347\343o "
    "n\343o ficou totalmente registrada.\n",
    /* 76 */
    "ERRO: n\343o h\341 mais espa\347o no sistema de arquivos montado em %s, "
    "para onde %s estava sendo copiado: a c\363pia parcial foi removida, a "
    "instala\347\343o em %s n\343o mudou.\n",
    /* 77 */
    "ERRO: a \341rea de trabalho %s n\343o \351 "
    "um diret\363rio pr\363prio desta execu\347\343o: %s; nada \351 instalado.\n",
    /* 78 */ "o sistema de arquivos \351 somente leitura",
    /* 79 */ "n\343o \351 um diret\363rio",
    /* 80 */
    "o arquivo de somas %s tem uma linha malformada para %s: cada linha deve ser 64 "
    "d\355gitos hexadecimais, dois brancos (ou um branco e *) e o nome do arquivo, como o "
    "sha256sum os escreve",
    /* 81 */
    "%s cont\351m um byte NUL (ou o relat\363rio do gpgv sobre ele cont\351m), que "
    "esconderia o que vem depois; a m\355dia \351 recusada",
    /* 82 */
    "a assinatura %s n\343o prova o arquivo de somas: a chave que a fez foi revogada",
    /* 83 */
    "a assinatura %s n\343o prova o arquivo de somas: a chave que a fez expirou",
    /* 84 */
    "a assinatura %s n\343o prova o arquivo de somas: a assinatura expirou",
    /* 85 */
    "a assinatura %s n\343o prova o arquivo de somas: seu resumo \351 mais fraco que SHA-256 "
    "(assine com gpg --digest-algo SHA256, SHA384 ou SHA512)",
    /* 86 */
    "o arquivo de chave %s n\343o pode ser lido como chave OpenPGP; \351 ignorado e suas "
    "chaves n\343o s\343o confi\341veis",
    /* 87 */
    "este sistema confia nas chaves em %s mas n\343o tem gpgv para verificar uma assinatura "
    "(instale o pacote Debian gpgv)",
    /* 88 */
    "a vers\343o %s da m\355dia \351 anterior \340 vers\343o instalada %s; este sistema "
    "s\363 a instala com --allow-downgrade",
    /* 89 */
    "a vers\343o %s da m\355dia \351 anterior \340 vers\343o instalada %s; ela \351 "
    "instalada mesmo assim",
    /* 90 */ "nenhuma instala\347\343o est\341 registada",
    /* 91 */
    "ERRO: o registo da instala\347\343o n\343o \351 de confian\347a: %s (%s %s %s) n\343o \351 um "
    "ficheiro ou diret\363rio de root que mais ningu\351m possa alterar; nada foi feito\n",
    /* 92 */
    "ERRO: %s n\343o pode ser usado junto com %s.\n",
    /* 93 */
    "ERRO: o registo %s n\343o \351 de confian\347a: a sua linha %d n\343o \351 uma linha de registo; "
    "nada foi feito\n",
    /* 94 */ "%s foi mantido: mudou desde a instala\347\343o\n",
    /* 95 */ "%s foi mantido: n\343o pertence ao pacote\n",
    /* 96 */ "ERRO: n\343o foi poss\355vel remover %s\n",
    /* 97 */ "AVISO: a fila de impress\343o %s (%s) ainda usa %s; remova a fila ou mude seu filtro\n",
    /* 98 */ "O pacote foi removido.\n",
    /* 99 */
    "O pacote foi removido exceto %d entradas, que continuam registradas em %s; setup --remove "
    "--purge remove tamb\351m as que mudaram ou que outros usu\341rios colocaram l\341.\n",
    /* 100 */
    "pertence a outro usu\341rio, ou outros podem alterar um diret\363rio do "
    "caminho at\351 ela",
    /* 101 */
    "ERRO: %s \351 um ponto de montagem: uma instala\347\343o num volume "
    "pr\363prio n\343o \351 movida, e nada foi alterado. Atualize-a onde "
    "est\341 (setup sem install BASE), ou copie-a voc\352 mesmo para o novo "
    "lugar e monte o volume l\341.\n",
    /* 102 */
    "ERRO: %s n\343o cont\351m nenhuma instala\347\343o (n\343o tem o arquivo "
    "tvqadmin) e n\343o est\341 vazio: nada foi alterado. Mova-o ou esvazie-o "
    "e execute setup novamente.\n",
    /* 103 */
    "ERRO: %s \351 um link para %s, que n\343o existe: nada foi alterado. "
    "Remova o link ou restaure o seu diret\363rio e execute setup "
    "novamente.\n",
    /* 104 */ "A remo\347\343o foi interrompida conforme a resposta; nada foi removido.\n",
    /* 105 */
    "ERRO: o registo descreve a instala\347\343o em %s, mas /usr/Varen/tvxx leva agora a %s: uma "
    "mudan\347a foi interrompida ap\363s o seu \372ltimo passo. Nada foi removido. Execute setup "
    "novamente para concluir a mudan\347a e depois setup --remove.\n",
    /* 106 */
    "ERRO: a remo\347\343o foi interrompida por %s e parou; execute %s --remove novamente para "
    "conclu\355-la.\n",
};
static_assert(AllTextsPresent(NLS_PORTUGUESE), "NLS_PORTUGUESE needs a text at every id");

// Each table fits the area that holds its texts converted to UTF-8.
static_assert(Utf8Bytes(NLS_ENGLISH) <= NLS_UTF8_AREA && Utf8Bytes(NLS_SPANISH) <= NLS_UTF8_AREA,
              "NLS_UTF8_AREA holds every table converted to UTF-8");
static_assert(Utf8Bytes(NLS_ITALIAN) <= NLS_UTF8_AREA && Utf8Bytes(NLS_FRENCH) <= NLS_UTF8_AREA,
              "NLS_UTF8_AREA holds every table converted to UTF-8");
static_assert(Utf8Bytes(NLS_GERMAN) <= NLS_UTF8_AREA && Utf8Bytes(NLS_PORTUGUESE) <= NLS_UTF8_AREA,
              "NLS_UTF8_AREA holds every table converted to UTF-8");
