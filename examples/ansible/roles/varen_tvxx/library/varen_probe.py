#!/usr/bin/python
# Looks at the host and changes nothing (also in check mode): whether a run
# of setup holds the run lock, the installation at the fixed place as setup
# sees it, the base that "install BASE" names once resolved, the stage's
# parent, the record of the installed medium, the trusted keys and the
# role's manifest of them, and the checksum list of a medium on the host.
import errno
import fcntl
import os
import stat

from ansible.module_utils.basic import AnsibleModule

FIXED = "/usr/Varen/tvxx"
LOCK = "/run/VarenInstall.lock"
KEYS = "/etc/Varen/trusted.gpg.d"


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


def stage_problem(parent):
    """Why the existing directory parent may not hold the stage ("" when it
    may, or when it is missing and the role makes it)."""
    try:
        st = os.lstat(parent)
    except FileNotFoundError:
        return ""
    if not stat.S_ISDIR(st.st_mode):
        return "it is not a directory (a link is not followed)"
    if st.st_uid != 0 or st.st_mode & 0o022:
        return "others than root may change it"
    return ""


def installation():
    """The base of the installation at the fixed place as setup finds it
    ("" when none stands there), resolved, and whether it holds the suite
    (APP/tvqadmin a regular file)."""
    try:
        st = os.lstat(FIXED)
    except FileNotFoundError:
        return "", False
    if stat.S_ISLNK(st.st_mode):
        text = os.readlink(FIXED)
        base = resolve_base(text if text.startswith("/") else "/usr/" + text)
    else:
        base = "/usr"
    try:
        held = os.path.isdir(FIXED) and stat.S_ISREG(os.lstat(FIXED + "/tvqadmin").st_mode)
    except OSError:
        held = False
    return base, held


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
    current, held = installation()
    try:
        keys = sorted(os.listdir(KEYS))
    except OSError:
        keys = []
    sums = ""
    if p["medium_on_host"]:
        sums = read_text(p["medium_on_host"] + "/sha256sums") or read_text(p["medium_on_host"] + "/SHA256SUMS")
    module.exit_json(
        changed=False, busy=busy, current=current, installed=held,
        target=resolve_base(p["base"]) if p["base"] else "",
        stage_problem=stage_problem(p["stage_parent"]),
        stage_parent_exists=os.path.lexists(p["stage_parent"]),
        record=read_text(p["record"]).strip(),
        trusted=keys, manifest=read_text(p["manifest"]).split(), sums=sums.strip())


if __name__ == "__main__":
    main()
