# Sourced by package.sh and install.sh: the files an installed Forgeline
# holds, relative to its prefix, besides the examples under
# share/forgeline/examples.
user_files=(bin/forgeline-cli share/man/man1/forgeline.1.gz share/man/man1/forgeline-cli.1.gz
            share/bash-completion/completions/forgeline-cli share/zsh/vendor-completions/_forgeline-cli
            share/fish/vendor_completions.d/forgeline-cli.fish share/doc/forgeline/copyright)
# The window's, where it is built.
window_files=(bin/forgeline share/applications/org.forgeline.Forgeline.desktop
              share/metainfo/org.forgeline.Forgeline.metainfo.xml share/icons/hicolor/scalable/apps/forgeline.svg
              share/icons/hicolor/64x64/apps/forgeline.png)
# Only the Debian package's business.
debian_files=(share/doc/forgeline/changelog.Debian.gz share/lintian/overrides/forgeline)
