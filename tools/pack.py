"""Packs a folder into a .zip or .tar.gz whose bytes depend on its files alone.

    python3 tools/pack.py OUTPUT FOLDER

The archive holds FOLDER itself (its name as the top folder) with its
members sorted by name, every time set to SOURCE_DATE_EPOCH (or 0), owner
and group 0 with no names, modes 0755 for folders and executables and 0644
for the rest, symbolic links kept as links in a .tar.gz, and a gzip header
without a name or a time. The same files give the same archive on any
machine and at any hour.
"""
import gzip
import os
import stat
import sys
import tarfile
import time
import zipfile


def members(folder):
    """(path inside the archive, path on disk) for FOLDER and all below it, sorted."""
    top = os.path.basename(os.path.normpath(folder))
    found = [(top, folder)]
    for parent, folders, files in os.walk(folder):
        for name in folders + files:
            disk = os.path.join(parent, name)
            found.append((os.path.join(top, os.path.relpath(disk, folder)), disk))
    return sorted(found)


def mode_of(disk):
    executable = os.path.isdir(disk) or os.stat(disk).st_mode & stat.S_IXUSR
    return 0o755 if executable else 0o644


def write_tar_gz(output, folder, epoch):
    with open(output, 'wb') as raw, \
            gzip.GzipFile(filename='', mode='wb', fileobj=raw, mtime=0, compresslevel=9) as zipped, \
            tarfile.open(fileobj=zipped, mode='w', format=tarfile.GNU_FORMAT) as archive:
        for name, disk in members(folder):
            info = archive.gettarinfo(disk, arcname=name)
            info.mtime = epoch
            info.uid = info.gid = 0
            info.uname = info.gname = ''
            if not info.issym():
                info.mode = mode_of(disk)
            if info.isreg():
                with open(disk, 'rb') as data:
                    archive.addfile(info, data)
            else:
                archive.addfile(info)


def write_zip(output, folder, epoch):
    # Zip times are local broken-down times from 1980 on, with two-second steps.
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    with zipfile.ZipFile(output, 'w', zipfile.ZIP_DEFLATED) as archive:
        for name, disk in members(folder):
            if os.path.islink(disk):
                raise SystemExit(f'pack: {disk} is a symbolic link, which a zip cannot hold')
            entry = zipfile.ZipInfo(name + ('/' if os.path.isdir(disk) else ''), stamp)
            entry.create_system = 3  # Unix, so that the modes below are read
            entry.external_attr = ((stat.S_IFDIR if os.path.isdir(disk) else stat.S_IFREG) | mode_of(disk)) << 16
            if os.path.isdir(disk):
                archive.writestr(entry, b'')
            else:
                entry.compress_type = zipfile.ZIP_DEFLATED
                with open(disk, 'rb') as data:
                    archive.writestr(entry, data.read(), compresslevel=9)


def main():
    if len(sys.argv) != 3 or not os.path.isdir(sys.argv[2]):
        raise SystemExit('usage: pack.py OUTPUT.zip|OUTPUT.tar.gz FOLDER')
    output, folder = sys.argv[1], sys.argv[2]
    epoch = int(os.environ.get('SOURCE_DATE_EPOCH', '0'))
    if output.endswith('.zip'):
        write_zip(output, folder, epoch)
    elif output.endswith('.tar.gz'):
        write_tar_gz(output, folder, epoch)
    else:
        raise SystemExit(f'pack: {output}: the name must end in .zip or .tar.gz')


if __name__ == '__main__':
    main()
