# Writes the Windows Installer source (for msitools' wixl) of a staged
# install of the Windows build: every file the install rules put into STAGE,
# and nothing else, goes into the .msi, as into the zip.
#   cmake -DSTAGE=DIR -DVERSION=X.Y.Z -DICON=forgeline.ico -DOUTPUT=forgeline.wxs -P forgeline-wxs.cmake
# with absolute paths; wixl is then run in OUTPUT's folder, since it takes the
# files' paths relative to its own.
#
# The package installs for the current user alone, without administrator
# rights (a student in a locked-down lab can install it), under
# %LOCALAPPDATA%\Programs\Forgeline, the folder Windows gives such programs.
# Everything it writes is in that folder, the user's Start menu and HKEY_CURRENT_USER,
# and Windows Installer takes all of it away again on uninstall.
cmake_minimum_required(VERSION 3.22)
foreach(variable STAGE VERSION ICON OUTPUT)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "forgeline-wxs.cmake needs -D${variable}=...")
  endif()
endforeach()

# Fixed for ever: Windows knows every Forgeline by it, so a newer .msi
# replaces the one installed (a major upgrade) instead of going beside it.
set(upgrade_code "{5DD5E468-1036-4809-BA2C-10637CE30128}")
# The other codes are names in this space: a folder's component keeps its
# code from version to version, and one version's product code is the same in
# every build of it, so "msiexec /x" of a rebuilt .msi removes what an
# earlier build of the same version installed.
set(namespace "8DBF501A-D114-411A-ADC7-7C3FFE4FEAE4")
function(code name result)
  string(UUID uuid NAMESPACE ${namespace} NAME "${name}" TYPE SHA1 UPPER)
  set(${result} "{${uuid}}" PARENT_SCOPE)
endfunction()
# An identifier Windows Installer takes (at most 72 letters, digits, _ and .)
# for any path.
function(identifier prefix path result)
  string(MD5 hash "${path}")
  set(${result} "${prefix}${hash}" PARENT_SCOPE)
endfunction()
function(xml text result)
  string(REPLACE "&" "&amp;" text "${text}")
  string(REPLACE "<" "&lt;" text "${text}")
  string(REPLACE ">" "&gt;" text "${text}")
  string(REPLACE "\"" "&quot;" text "${text}")
  set(${result} "${text}" PARENT_SCOPE)
endfunction()
function(emit text)
  set_property(GLOBAL APPEND_STRING PROPERTY forgeline_wxs "${text}\n")
endfunction()

# Each component's key is a value under this key: files in a user's profile
# are kept track of through HKEY_CURRENT_USER.
set(components_key "Software\\Forgeline\\Components")

# emit_folder(RELATIVE ID INDENT): the component of the files directly in
# STAGE/RELATIVE, then its subfolders, each with a component of its own.
function(emit_folder relative id indent)
  file(GLOB entries LIST_DIRECTORIES true RELATIVE "${STAGE}/${relative}" "${STAGE}/${relative}/*")
  list(SORT entries)
  set(files)
  set(folders)
  foreach(entry IN LISTS entries)
    if(IS_DIRECTORY "${STAGE}/${relative}/${entry}")
      list(APPEND folders "${entry}")
    else()
      list(APPEND files "${entry}")
    endif()
  endforeach()
  identifier(c_ "${relative}" component)
  code("component:${relative}" guid)
  emit("${indent}<Component Id=\"${component}\" Guid=\"${guid}\">")
  emit("${indent}  <RegistryValue Root=\"HKCU\" Key=\"${components_key}\" Name=\"${component}\" Type=\"integer\" Value=\"1\" KeyPath=\"yes\"/>")
  emit("${indent}  <RemoveFolder Id=\"r${component}\" On=\"uninstall\"/>")
  foreach(file IN LISTS files)
    identifier(f_ "${relative}/${file}" file_id)
    xml("${file}" name)
    file(RELATIVE_PATH source "${output_folder}" "${STAGE}/${relative}/${file}")
    xml("${source}" source)
    emit("${indent}  <File Id=\"${file_id}\" Name=\"${name}\" Source=\"${source}\"/>")
  endforeach()
  emit("${indent}</Component>")
  set_property(GLOBAL APPEND PROPERTY forgeline_components "${component}")
  foreach(folder IN LISTS folders)
    identifier(d_ "${relative}/${folder}" folder_id)
    xml("${folder}" name)
    emit("${indent}<Directory Id=\"${folder_id}\" Name=\"${name}\">")
    emit_folder("${relative}/${folder}" ${folder_id} "${indent}  ")
    emit("${indent}</Directory>")
  endforeach()
endfunction()

foreach(program forgeline.exe forgeline-cli.exe)
  if(NOT EXISTS "${STAGE}/${program}")
    message(FATAL_ERROR "${STAGE} holds no ${program}")
  endif()
endforeach()
get_filename_component(output_folder "${OUTPUT}" DIRECTORY)
code("product:${VERSION}" product_code)
code("component:explorer" explorer_guid)
code("component:shortcuts" shortcuts_guid)
code("component:programs folder" programs_folder_guid)
file(RELATIVE_PATH icon "${output_folder}" "${ICON}")
xml("${icon}" icon)

emit([[<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">]])
emit("  <Product Id=\"${product_code}\" Name=\"Forgeline\" Language=\"1033\" Version=\"${VERSION}\"
           Manufacturer=\"The Forgeline authors\" UpgradeCode=\"${upgrade_code}\">")
emit([[    <Package InstallerVersion="500" Compressed="yes" InstallScope="perUser"
             Description="Forgeline, the project wizard for 8-bit MCUs"/>
    <MajorUpgrade DowngradeErrorMessage="A newer Forgeline is installed already."/>
    <Media Id="1" Cabinet="forgeline.cab" EmbedCab="yes"/>]])
emit("    <Icon Id=\"forgeline.ico\" SourceFile=\"${icon}\"/>")
# Apps and Features: the icon, and no "Modify", since there is nothing to choose.
emit([[    <Property Id="ARPPRODUCTICON" Value="forgeline.ico"/>
    <Property Id="ARPNOMODIFY" Value="1"/>
    <Property Id="ARPCOMMENTS" Value="Makes CodeWarrior 6.3 projects from a folder of MCU key files"/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="LocalAppDataFolder">
        <Directory Id="LocalPrograms" Name="Programs">
          <Directory Id="INSTALLDIR" Name="Forgeline">]])
emit_folder("." INSTALLDIR "            ")
# "Open Forgeline here" on a folder and on the background of an open folder
# (%V there is the folder shown), for the current user only.
set(open "&quot;[INSTALLDIR]forgeline.exe&quot;")
emit("            <Component Id=\"explorer\" Guid=\"${explorer_guid}\">")
foreach(place "Directory\\shell" "Directory\\Background\\shell")
  set(verb "Software\\Classes\\${place}\\Forgeline")
  set(folder "%1")
  if(place MATCHES "Background")
    set(folder "%V")
  endif()
  emit("              <RegistryValue Root=\"HKCU\" Key=\"${verb}\" Type=\"string\" Value=\"Open Forgeline here\"/>
              <RegistryValue Root=\"HKCU\" Key=\"${verb}\" Name=\"Icon\" Type=\"string\" Value=\"[INSTALLDIR]forgeline.exe\"/>
              <RegistryValue Root=\"HKCU\" Key=\"${verb}\\command\" Type=\"string\" Value=\"${open} &quot;${folder}&quot;\"/>")
endforeach()
emit("              <RegistryValue Root=\"HKCU\" Key=\"${components_key}\" Name=\"explorer\" Type=\"integer\" Value=\"1\" KeyPath=\"yes\"/>
            </Component>")
emit("          </Directory>")
# The user's Programs folder too, when Forgeline was all it held.
set_property(GLOBAL APPEND PROPERTY forgeline_components programs_folder)
emit("          <Component Id=\"programs_folder\" Guid=\"${programs_folder_guid}\">
            <RegistryValue Root=\"HKCU\" Key=\"${components_key}\" Name=\"programs_folder\" Type=\"integer\" Value=\"1\" KeyPath=\"yes\"/>
            <RemoveFolder Id=\"rLocalPrograms\" On=\"uninstall\"/>
          </Component>
        </Directory>
      </Directory>")
# The Start menu: the window, asking for the folder that holds KeyFiles and
# starting in Documents; and a console whose PATH holds forgeline-cli.
# wixl writes no Environment table, and a Path value written as a registry
# value would replace the user's own on install and be lost on uninstall;
# the console's shortcut goes with the product and leaves nothing behind.
# "set PATH=...&&" unquoted, with no blank before "&&": Wine's cmd does not
# take the quoted form "set "PATH=..."".
emit("      <Directory Id=\"ProgramMenuFolder\">
        <Component Id=\"shortcuts\" Guid=\"${shortcuts_guid}\">
          <Shortcut Id=\"window\" Name=\"Forgeline\" Description=\"Make a CodeWarrior 6.3 project from MCU key files\"
                    Target=\"[INSTALLDIR]forgeline.exe\" Arguments=\"--choose-folder\" WorkingDirectory=\"PersonalFolder\"/>
          <Shortcut Id=\"console\" Name=\"Forgeline command prompt\" Description=\"A console in which forgeline-cli works\"
                    Target=\"[System64Folder]cmd.exe\" WorkingDirectory=\"PersonalFolder\"
                    Arguments=\"/k set PATH=[INSTALLDIR];%PATH%&amp;&amp; forgeline-cli --version\"/>
          <RegistryValue Root=\"HKCU\" Key=\"${components_key}\" Name=\"shortcuts\" Type=\"integer\" Value=\"1\" KeyPath=\"yes\"/>
        </Component>
      </Directory>
      <Directory Id=\"PersonalFolder\"/>
    </Directory>
    <Feature Id=\"Forgeline\" Title=\"Forgeline\" Level=\"1\">")
get_property(components GLOBAL PROPERTY forgeline_components)
foreach(component IN LISTS components ITEMS explorer shortcuts)
  emit("      <ComponentRef Id=\"${component}\"/>")
endforeach()
emit([[    </Feature>
  </Product>
</Wix>]])
get_property(wxs GLOBAL PROPERTY forgeline_wxs)
file(WRITE "${OUTPUT}" "${wxs}")
