; Who a release says it is: the names and codes the installer writes and the package
; manifests repeat, kept in this one place. scripts/tessara.nsi includes this file;
; scripts/package.sh and tests/packaging/manifests_test.py read its lines as text, so each
; value stays one plain line: !define NAME "value". The version comes from cmake/version.cmake.

; The name in Apps & features and the Start menu, winget's PackageName.
!define PRODUCT_NAME "Tessara"
!define PUBLISHER "Tessara developers"
; The name of the Uninstall key under HKCU\...\CurrentVersion\Uninstall: winget's ProductCode.
!define UNINST_NAME "Tessara"
; winget's identifier; a pre-release goes out as "<this>.Beta".
!define PACKAGE_ID "Tessara.Tessara"
; The installer's exit code when a running copy could not be closed (winget: packageInUse).
!define EXIT_IN_USE "2"
