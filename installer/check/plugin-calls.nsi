; A test installer that calls every function of the two plug-ins, the way an installer script
; would: the arguments pushed last to first, the answer of Show popped after it. The check builds it
; (it never runs it) to see that makensis finds each function in the DLLs of the build.
;   makensis -V4 -DPLUGIN_DIR=<folder of the DLLs> -DOUT_FILE=<installer to write> plugin-calls.nsi

!addplugindir /x86-unicode "${PLUGIN_DIR}"

Name "GLORVAK Sample Manager plug-in check"
OutFile "${OUT_FILE}"
RequestExecutionLevel user
InstallDir "$TEMP\GLORVAK plug-in check"

Section
    Push "$INSTDIR\GLORVAK Sample Manager.exe"
    HarvaneInstallerPlugin::AuthorizedExecute

    Push "$INSTDIR\GLORVAK Sample Manager.exe"
    HarvaneInstallerPlugin::RestrictedExecute

    Push "No"
    Push "Yes"
    Push "Start the GLORVAK Sample Manager now?"
    Push "GLORVAK Sample Manager"
    PopNoticePlugin::Show
    Pop $0
    DetailPrint "Answer: $0"
SectionEnd
