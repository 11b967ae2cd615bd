# Marks trustlist.txt read-only: Wine shows a file without write permission bits as
# FILE_ATTRIBUTE_READONLY.
def setup(layout):
    (layout.unix / "Sylpheed" / "config" / "gnupg" / "trustlist.txt").chmod(0o444)
