// Text templates of the generated shell scripts: the shell line, the maker's
// banner, the two print-queue interface scripts and the wrapper command.
// Each body is a printf format; its "%s" placeholders are filled by the
// writers in scripts.cpp, and it holds no other "%".
#include "install/scripts.h"

#include <cstddef>

constexpr char ScriptShShell[] = "#!/bin/sh";

// Lines 2 to 7 of every script: the 63-wide frame around the maker's notice
// (one "%d" for the year) and the empty line that ends the head.
constexpr char ScriptCopyRight[] =
    "###############################################################\n"
    "##                                                           ##\n"
    "##      Copyright (c) %d Varen.  All rights reserved.      ##\n"
    "##                                                           ##\n"
    "###############################################################\n"
    "\n";

// Values: APP; "tvxx"; "tolvartvxx"; "tolvartvxx"; "tvxx"; "tvxx".
constexpr char VarenPrinttvxxScript[] =
    "ToolPath=\"%s\"\n"
    "CfgFlags=`cat ${ToolPath}/.tv_cfg`\n"
    "\n"
    "## Determine configuration\n"
    "for flag in ${CfgFlags}\n"
    "do\n"
    "\tcase $flag in\n"
    "\t\tLPRng | V5 | AIX | BSD | CUPS)\n"
    "\t\t\tflConfig=$flag\n"
    "\t\t\t;;\n"
    "\t\t*)\n"
    "\t\t\t;;\n"
    "\tesac\n"
    "done\n"
    "\n"
    "\n"
    "## Main section of the script\n"
    "case ${flConfig:-V5} in\n"
    "\tAIX)\n"
    "\t\t## The name says it all... native lpd subsystems\n"
    "\t\tcd ${ToolPath}\n"
    "\t\t${ToolPath}/AixInterface $*\n"
    "\t\t;;\n"
    "\n"
    "\tBSD)\n"
    "\t\t## SunOS, DEC-UX, and native Linux lpd subsystems\n"
    "\t\tTolvarQueue=`pwd`\n"
    "\t\tTolvarPrinter=`basename $TolvarQueue`\n"
    "\n"
    "\t\t${ToolPath}/tvr%stty -d$TolvarPrinter -f >%s.log 2>%s.log\n"
    "\t\t;;\n"
    "\n"
    "\tLPRng)\n"
    "\t\t## A BSD subsytem with additional quirks\n"
    "\t\tTolvarFileSourceDir=`pwd`\n"
    "\t\texport TolvarFileSourceDir\n"
    "\t\tcd ${ToolPath}\n"
    "\n"
    "\t\tTolvarQueue=${PRINTER:-\"none\"}\n"
    "\t\tif [ \"_x_$TolvarQueue\" = \"_x_none\" ]\n"
    "\t\tthen\n"
    "\t\t\tTolvarQueue=`basename $SPOOL_DIR`\n"
    "\t\tfi\n"
    "\t\tFileCnt=\"0\"\n"
    "\t\tControlFile=\"0\"\n"
    "\n"
    "\t\techo \"$CONTROL $*\" | while read var\n"
    "\t\tdo\n"
    "\t\t\tcase $var in\n"
    "\t\t\t\tH*)\n"
    "\t\t\t\t\tTolvarHost_name=`echo \"$var\" | sed -e \"s/H//\"`\n"
    "\t\t\t\t\texport TolvarHost_name\n"
    "\t\t\t\t\t;;\n"
    "\n"
    "\t\t\t\tP*)\n"
    "\t\t\t\t\tTolvarUser_name=`echo \"$var\" | sed -e \"s/P//\"`\n"
    "\t\t\t\t\texport TolvarUser_name\n"
    "\t\t\t\t\t;;\n"
    "\n"
    "\t\t\t\tZ*)\n"
    "\t\t\t\t\topt=`echo \"$var\" | sed -e \"s/Z/-o/\" -e \"s/,/ -o/g\"`\n"
    "\t\t\t\t\toptions=\"$options $opt\"\n"
    "\t\t\t\t\t;;\n"
    "\n"
    "\t\t\t\tQ*)\n"
    "\t\t\t\t\tTolvarQueue=`echo $var | sed -e \"s/Q//\"`\n"
    "\t\t\t\t\texport TolvarQueue\n"
    "\t\t\t\t\t;;\n"
    "\n"
    "\t\t\t\tJ*)\n"
    "\t\t\t\t\tFFL=`echo \"$var\" | sed -e \"s/J//\"`\n"
    "\t\t\t\t\t;;\n"
    "\n"
    "\t\t\t\tN*)\n"
    "\t\t\t\t\tTolvarJob_title=`echo $var | sed -e \"s/N//\"`\n"
    "\t\t\t\t\texport TolvarJob_title\n"
    "\t\t\t\t\t;;\n"
    "\n"
    "\t\t\t\tU*)\n"
    "\t\t\t\t\tfile=`echo \"$var\" | sed -e \"s/U//\"`\n"
    "\t\t\t\t\tif [ \"$ControlFile\" = \"0\" ]\n"
    "\t\t\t\t\tthen\n"
    "\t\t\t\t\t\tTolvarControl_file=\"c`echo $file | cut -c2-`\"\n"
    "\t\t\t\t\t\texport TolvarControl_file\n"
    "\t\t\t\t\t\tControlFile=`expr $ControlFile + 1`\n"
    "\t\t\t\t\tfi\n"
    "\t\t\t\t\t;;\n"
    "\n"
    "\t\t\t\t-A*)\n"
    "\t\t\t\t\t${ToolPath}/tvrtvxxtty -d${TolvarQueue} -f $options $FFL 1>>/dev/null "
    "2>>/dev/null\n"
    "\n"
    "\t\t\t\t\t## Exit Script\n"
    "\t\t\t\t\texit 0\n"
    "\t\t\t\t\t;;\n"
    "\t\t\tesac\n"
    "\t\tdone\n"
    "\t\t;;\n"
    "\n"
    "\tV5)\n"
    "\t\t## Solaris, HP-UX, SGI, and SCO native lpd subsystems\n"
    "\t\tPATH=/usr/sbin:/usr/bin\n"
    "\t\tTolvarPrinter=`/usr/bin/basename $0`\n"
    "\t\tTolvarRequest_id=$1\n"
    "\t\tTolvarUser_name=$2\n"
    "\t\tTolvarTitle=`echo $3 | sed -e \"s/###[ 0-9A-z#].*//\"`\n"
    "\t\tTolvarCopies=$4\n"
    "\t\tTolvarOption_list=$5\n"
    "\t\texport PATH TolvarPrinter TolvarRequest_id TolvarUser_name TolvarTitle TolvarCopies "
    "TolvarOption_list\n"
    "\t\tshift 5\n"
    "\n"
    "\t\tcd ${ToolPath}\n"
    "\t\t${ToolPath}/tvr%stty -d$TolvarPrinter -i $*\n"
    "\t\t;;\n"
    "\n"
    "\tCUPS)\n"
    "\t\t## Common Unix Printing System support\n"
    "\t\tPATH=/usr/sbin:/usr/bin\n"
    "\t\tTolvarPrinter=$PRINTER\n"
    "\t\tTolvarRequest_id=$1\n"
    "\t\tTolvarUser_name=$2\n"
    "\t\tTolvarTitle=$3\n"
    "\t\tTolvarCopies=$4\n"
    "\t\tTolvarOption_list=$5\n"
    "\t\texport PATH TolvarPrinter TolvarRequest_id TolvarUser_name TolvarTitle TolvarCopies "
    "TolvarOption_list\n"
    "\t\tshift 5\n"
    "\n"
    "\t\tcd ${ToolPath}\n"
    "\t\t${ToolPath}/tvr%stty -d$TolvarPrinter -i $*\n"
    "\t\t;;\n"
    "esac";

// Values: APP; the spool directory of the jobs (/var/spool/Varen/tvxx).
constexpr char VarenVSFScript[] =
    "ToolPath=\"%s\"\n"
    "CfgFlags=`cat ${ToolPath}/.tv_cfg`\n"
    "SpoolDir=\"%s\"\n"
    "\n"
    "# Determine configuration\n"
    "for flag in ${CfgFlags}\n"
    "do\n"
    "\tcase $flag in\n"
    "\t\tLPRng | V5 | AIX | BSD | CUPS)\n"
    "\t\t\tflConfig=$flag\n"
    "\t\t\t;;\n"
    "\n"
    "\t\t*)\n"
    "\t\t\t;;\n"
    "\tesac\n"
    "done\n"
    "\n"
    "\n"
    "# Main section of the script\n"
    "case ${flConfig:-V5} in\n"
    "\tAIX)\n"
    "\t\t# The name says it all... native lpd subsystems\n"
    "\t\tcd ${ToolPath}\n"
    "\n"
    "\t\t_exitVal=1\n"
    "\t\twhile [ $_exitVal -ne 0 ]\n"
    "\t\tdo\n"
    "\t\t\t${ToolPath}/vsf $*\n"
    "\t\t\t_exitVal=$?\n"
    "\t\tdone\n"
    "\n"
    "\t\t;;\n"
    "\n"
    "\tBSD)\n"
    "\t\t# SunOS, DEC-UX, and native Linux lpd subsystems\n"
    "\t\tTolvarQueue=`pwd`\n"
    "\t\tTolvarPrinter=`basename ${TolvarQueue}`\n"
    "\n"
    "\t\t# Store STDIN in temporary file\n"
    "\t\tcat <&0 > ${SpoolDir}/${TolvarPrinter}/${TolvarPrinter}.$$\n"
    "\n"
    "\t\t_exitVal=1\n"
    "\t\twhile [ $_exitVal -ne 0 ]\n"
    "\t\tdo\n"
    "\t\t\t${ToolPath}/vsf ${SpoolDir}/${TolvarPrinter}/${TolvarPrinter}.$$\n"
    "\t\t\t_exitVal=$?\n"
    "\t\tdone\n"
    "\n"
    "\t\t# Remove temporary file\n"
    "\t\trm -f ${SpoolDir}/${TolvarPrinter}/${TolvarPrinter}.$$\n"
    "\t\t;;\n"
    "\n"
    "\tLPRng)\n"
    "\t\t# A BSD subsytem with additional quirks\n"
    "\t\tTolvarQueue=`pwd`\n"
    "\t\tTolvarPrinter=`basename ${TolvarQueue}`\n"
    "\n"
    "\t\t# OK... what are we looking for\n"
    "\t\tfiles=\n"
    "\t\twhile getopts C:A:F:H:J:L:P:Q:a:d:e:f:h:j:k:l:n:s:w:y:t:x: opt\n"
    "\t\tdo\n"
    "\t\t\tcase $opt in\n"
    "\t\t\t\tf)\n"
    "\t\t\t\t\tfiles=\"$files $OPTARG\"\n"
    "\t\t\t\t\t;;\n"
    "\t\t\t\t*)\n"
    "\t\t\t\t\t;;\n"
    "\t\t\tesac\n"
    "\t\tdone\n"
    "\n"
    "\t\t# Store STDIN in temporary file if needed...\n"
    "\t\tpJob=\n"
    "\t\tflRemoveJob=\"False\"\n"
    "\t\tfor file in $files\n"
    "\t\tdo\n"
    "\t\t\tif [ \"$file\" = \"(stdin)\" ]\n"
    "\t\t\tthen\n"
    "\t\t\t\tcat <&0 > ${SPOOL_DIR}/${TolvarPrinter}.$$\n"
    "\t\t\t\tpJob=\"${SPOOL_DIR}/${TolvarPrinter}.$$\"\n"
    "\t\t\t\tflRemoveJob=\"True\"\n"
    "\t\t\telse\n"
    "\t\t\t\tpJob=\" $pJob $file\"\n"
    "\t\t\tfi\n"
    "\t\tdone\n"
    "\n"
    "\t\t# Continue until vsf does the job\n"
    "\t\t_exitVal=1\n"
    "\t\twhile [ $_exitVal -ne 0 ]\n"
    "\t\tdo\n"
    "\t\t\t${ToolPath}/vsf $pJob\n"
    "\t\t\t_exitVal=$?\n"
    "\t\tdone\n"
    "\n"
    "\t\t# Remove temporary file if needed...\n"
    "\t\tif [ \"${flRemoveJob:-False}\" = \"True\" ]\n"
    "\t\tthen\n"
    "\t\t\trm -f $pJob\n"
    "\t\tfi\n"
    "\t\t;;\n"
    "\n"
    "\tV5)\n"
    "\t\t# Solaris, HP-UX, SGI, and SCO native lpd subsystems\n"
    "\t\tPATH=/usr/sbin:/usr/bin\n"
    "\t\tTolvarPrinter=`/usr/bin/basename $0`\n"
    "\t\tTolvarRequest_id=$1\n"
    "\t\tTolvarUser_name=$2\n"
    "\t\tTolvarTitle=$3\n"
    "\t\tTolvarCopies=$4\n"
    "\t\tTolvarOption_list=$5\n"
    "\t\texport PATH TolvarPrinter TolvarRequest_id TolvarUser_name TolvarTitle TolvarCopies "
    "TolvarOption_list\n"
    "\n"
    "\t\tshift 5\n"
    "\n"
    "\t\tcd ${ToolPath}\n"
    "\t\t_exitVal=1\n"
    "\t\twhile [ $_exitVal -ne 0 ]\n"
    "\t\tdo\n"
    "\t\t\t${ToolPath}/vsf $*\n"
    "\t\t\t_exitVal=$?\n"
    "\t\tdone\n"
    "\t\t;;\n"
    "\n"
    "\tCUPS)\n"
    "\t\t# Common Unix Printing System\n"
    "\t\tPATH=/usr/sbin:/usr/bin\n"
    "\t\tTolvarPrinter=$PRINTER\n"
    "\t\tTolvarRequest_id=$1\n"
    "\t\tTolvarUser_name=$2\n"
    "\t\tTolvarTitle=$3\n"
    "\t\tTolvarCopies=$4\n"
    "\t\tTolvarOption_list=$5\n"
    "\t\texport PATH TolvarPrinter TolvarRequest_id TolvarUser_name TolvarTitle TolvarCopies "
    "TolvarOption_list\n"
    "\n"
    "\t\tshift 5\n"
    "\n"
    "\t\tcd ${ToolPath}\n"
    "\t\t_exitVal=1\n"
    "\t\twhile [ $_exitVal -ne 0 ]\n"
    "\t\tdo\n"
    "\t\t\t${ToolPath}/vsf $*\n"
    "\t\t\t_exitVal=$?\n"
    "\t\tdone\n"
    "\t\t;;\n"
    "esac";

// Values: APP; APP; the program's name in APP. The command remembers where it
// was started, changes to APP and replaces itself by the program.
constexpr char SimpleScript[] = "\n"
                                "TolvarFileSourceDir=`pwd`\n"
                                "export TolvarFileSourceDir\n"
                                "\n"
                                "cd %s\n"
                                "exec %s/%s $*\n";

// Number of "%s" in a template; -1 when it holds any other "%".
constexpr int CountStringPlaceholders(const char *text) {
    int count = 0;
    for (std::size_t i = 0; text[i] != '\0'; ++i) {
        if (text[i] != '%') {
            continue;
        }
        if (text[i + 1] != 's') {
            return -1;
        }
        ++count;
        ++i;
    }
    return count;
}

// Whether every row of the banner is 63 characters wide once "%d" holds a
// four-digit year, and the banner ends with exactly one empty line.
constexpr bool BannerRowsAre63Wide(const char *text) {
    int width = 0;
    int rows = 0;
    for (std::size_t i = 0; text[i] != '\0'; ++i) {
        if (text[i] == '\n') {
            if (width == 0) {
                return rows == 5 && text[i + 1] == '\0';
            }
            if (width != 63) {
                return false;
            }
            ++rows;
            width = 0;
        } else if (text[i] == '%' && text[i + 1] == 'd') {
            width += 4;
            ++i;
        } else {
            ++width;
        }
    }
    return false;
}

static_assert(sizeof(ScriptShShell) == 10, "the shell line is #!/bin/sh");
static_assert(BannerRowsAre63Wide(ScriptCopyRight), "the banner frame is 63 wide");
static_assert(CountStringPlaceholders(VarenPrinttvxxScript) == 6, "six values fill the script");
static_assert(CountStringPlaceholders(VarenVSFScript) == 2, "two values fill the VSF script");
static_assert(CountStringPlaceholders(SimpleScript) == 3, "three values fill a wrapper");
