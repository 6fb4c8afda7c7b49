#!/usr/bin/python
# Looks at the host and changes nothing (also in check mode): whether a run
# of setup holds the run lock, the installation at the fixed place as setup
# sees it, the base that "install BASE" names once resolved, whether root
# may trust the stage's parent and a medium on the host, the record of the
# installed medium, whether setup keeps its own record of an installation,
# the trusted keys (with their checksums) and the role's manifest of them,
# the checksum list of a medium on the host, and the version of the
# installed package varen-setup (the host's installer).
import errno
import hashlib
import re
import fcntl
import os
import stat

from ansible.module_utils.basic import AnsibleModule
from ansible.module_utils.varen_chain import chain_problem

FIXED = "/usr/Varen/tvxx"
LOCK = "/run/VarenInstall.lock"
KEYS = "/etc/Varen/trusted.gpg.d"
HOST_SETUP = "/usr/sbin/varen-setup"
# setup's own record of what it installed, which --verify and --remove read.
SETUP_RECORD = "/var/lib/varen-tvxx/installed"
# The key names the role places, as setup accepts them.
KEY_NAME = re.compile(r"[A-Za-z0-9._+,=:@%-]+[.]gpg")


def strip_base(path):
    """The installation base of path as setup cuts it: trailing slashes,
    then a last component tvxx, then Varen, go."""
    path = path.rstrip("/") or "/"
    for name in ("tvxx", "Varen"):
        if len(path) > len(name) and path.endswith("/" + name):
            path = path[:-len(name)].rstrip("/") or "/"
    return path


def resolve_base(word):
    """The base setup installs under for the word after install: cut,
    its links resolved (what does not exist yet is kept as written), cut."""
    return strip_base(os.path.realpath(strip_base(word)))


def lock_held():
    """True when a run holds the lock; None when it cannot be told."""
    try:
        fd = os.open(LOCK, os.O_RDONLY | os.O_NOFOLLOW | os.O_NONBLOCK)
    except OSError as err:
        return False if err.errno == errno.ENOENT else None
    try:
        fcntl.flock(fd, fcntl.LOCK_SH | fcntl.LOCK_NB)
        return False
    except OSError as err:
        return True if err.errno in (errno.EWOULDBLOCK, errno.EAGAIN) else None
    finally:
        os.close(fd)


def read_text(path):
    try:
        with open(path, "rb") as f:
            return f.read().decode("utf-8", "replace")
    except OSError:
        return ""


def medium_problem(medium):
    """Why root may not run the medium's setup ("" when it may): the medium's
    directory and its chain, and setup itself, are root's and closed."""
    why = chain_problem(medium, False)[0]
    if why:
        return why
    try:
        st = os.lstat(medium + "/setup")
    except OSError as err:
        return "%s/setup cannot be examined: %s" % (medium, err.strerror)
    if not stat.S_ISREG(st.st_mode) or st.st_uid != 0 or st.st_mode & 0o022:
        return "%s/setup is not a regular file that only root may change" % medium
    return ""


def key_sums():
    """The SHA-256 of each *.gpg regular file among the trusted keys."""
    sums = {}
    try:
        names = os.listdir(KEYS)
    except OSError:
        return sums
    for name in names:
        try:
            if name.endswith(".gpg") and stat.S_ISREG(os.lstat(KEYS + "/" + name).st_mode):
                with open(KEYS + "/" + name, "rb") as f:
                    sums[name] = hashlib.sha256(f.read()).hexdigest()
        except OSError:
            sums[name] = ""
    return sums


def installation():
    """The base of the installation at the fixed place as setup finds it
    ("" when none stands there), resolved, whether it holds the suite
    (APP/tvqadmin a regular file), and APP/tvqadmin's inode and change time
    (which a run that installed changes)."""
    try:
        st = os.lstat(FIXED)
    except FileNotFoundError:
        return "", False, ""
    if stat.S_ISLNK(st.st_mode):
        text = os.readlink(FIXED)
        base = resolve_base(text if text.startswith("/") else "/usr/" + text)
    else:
        base = "/usr"
    try:
        app = os.lstat(FIXED + "/tvqadmin")
        held = os.path.isdir(FIXED) and stat.S_ISREG(app.st_mode)
        stamp = "%d:%d" % (app.st_ino, app.st_ctime_ns)
    except OSError:
        held, stamp = False, ""
    return base, held, stamp


def host_setup(module):
    """The version of the installed package varen-setup ("" when it is not
    installed, or its /usr/sbin/varen-setup is not root's regular file that
    only root may change)."""
    try:
        st = os.lstat(HOST_SETUP)
    except OSError:
        return ""
    if not stat.S_ISREG(st.st_mode) or st.st_uid != 0 or st.st_mode & 0o022:
        return ""
    rc, out, _ = module.run_command(["dpkg-query", "-W", "-f", "${db:Status-Status} ${Version}", "varen-setup"])
    words = out.split()
    return words[1] if rc == 0 and len(words) == 2 and words[0] == "installed" else ""


def main():
    module = AnsibleModule(argument_spec={
        "base": {"type": "str", "default": ""},
        "stage_parent": {"type": "str", "required": True},
        "record": {"type": "str", "required": True},
        "manifest": {"type": "str", "required": True},
        "medium_on_host": {"type": "str", "default": ""},
    }, supports_check_mode=True)
    p = module.params
    busy = lock_held()
    if busy is None:
        module.fail_json(msg="cannot tell whether an installation is under way: %s cannot be locked" % LOCK)
    current, held, stamp = installation()
    try:
        keys = sorted(os.listdir(KEYS))
    except OSError:
        keys = []
    sums = ""
    if p["medium_on_host"]:
        sums = read_text(p["medium_on_host"] + "/sha256sums") or read_text(p["medium_on_host"] + "/SHA256SUMS")
    module.exit_json(
        changed=False, busy=busy, current=current, installed=held, stamp=stamp,
        target=resolve_base(p["base"]) if p["base"] else "",
        stage_problem=chain_problem(p["stage_parent"], True)[0],
        medium_problem=medium_problem(p["medium_on_host"]) if p["medium_on_host"] else "",
        stage_parent_exists=os.path.lexists(p["stage_parent"]),
        record=read_text(p["record"]).strip(), setup_record=os.path.lexists(SETUP_RECORD),
        trusted=keys, key_sums=key_sums(), sums=sums.strip(), host_setup=host_setup(module),
        # One name a line; a line that is no name the role places is ignored, never removed.
        manifest=[line for line in read_text(p["manifest"]).splitlines() if KEY_NAME.fullmatch(line)])


if __name__ == "__main__":
    main()
