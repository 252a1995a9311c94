"""tarn-pack: makes Tarnvale installers from a prebuilt stub and package files, lists and verifies them.

Modules: kit (the stub kit and the installer's layouts), cli (the command line), inputs (the checks of every
input), versioninfo (application manifest and version resource), resources (the resource section), pe (PE
images), signing, listing, verify, build (packing) and main (the command).
"""
