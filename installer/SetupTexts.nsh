; The setup's and the uninstall's own texts, one table per language; the pages' other texts are
; NSIS's own translations. Restore point and activity log are the terms of the program's own
; translations; buttons are named as Windows names them in that language.
; Included by Quillmoor.nsi after its MUI_LANGUAGE lines, as UTF-8.

; English
LangString QmDesktopSection ${LANG_ENGLISH} "Desktop shortcut"
LangString QmProgramDescription ${LANG_ENGLISH} "Quillmoor, its help, its activity log and a Start menu shortcut."
LangString QmDesktopDescription ${LANG_ENGLISH} "A shortcut to Quillmoor on the desktop."
LangString QmStartQuillmoor ${LANG_ENGLISH} "&Start Quillmoor"
LangString QmShortcutComment ${LANG_ENGLISH} "Find and remove junk files"
LangString QmQuillmoorRunning ${LANG_ENGLISH} "Quillmoor is running.$\n$\nClose Quillmoor, and then click Retry."
LangString QmLogNotRegistered ${LANG_ENGLISH} "The activity log component (Logwright.dll) could not be registered.$\n$\nQuillmoor still cleans, but keeps no activity log."
LangString QmLogNotRegisteredDetail ${LANG_ENGLISH} "The activity log component could not be registered ($0)."
LangString QmDeleteUserData ${LANG_ENGLISH} "Delete Quillmoor's restore points and activity log as well?$\n$\nThe restore points in $INSTDIR\${RESTORE_POINTS} may hold the only copies of files Quillmoor cleaned. Click No to keep them."

; German
LangString QmDesktopSection ${LANG_GERMAN} "Desktopverknüpfung"
LangString QmProgramDescription ${LANG_GERMAN} "Quillmoor mit Hilfe, Aktivitätsprotokoll und einer Verknüpfung im Startmenü."
LangString QmDesktopDescription ${LANG_GERMAN} "Eine Verknüpfung mit Quillmoor auf dem Desktop."
LangString QmStartQuillmoor ${LANG_GERMAN} "Quillmoor &starten"
LangString QmShortcutComment ${LANG_GERMAN} "Überflüssige Dateien suchen und entfernen"
LangString QmQuillmoorRunning ${LANG_GERMAN} "Quillmoor wird ausgeführt.$\n$\nSchließen Sie Quillmoor, und klicken Sie dann auf „Wiederholen“."
LangString QmLogNotRegistered ${LANG_GERMAN} "Die Komponente für das Aktivitätsprotokoll (Logwright.dll) konnte nicht registriert werden.$\n$\nQuillmoor bereinigt weiterhin, führt aber kein Aktivitätsprotokoll."
LangString QmLogNotRegisteredDetail ${LANG_GERMAN} "Die Komponente für das Aktivitätsprotokoll konnte nicht registriert werden ($0)."
LangString QmDeleteUserData ${LANG_GERMAN} "Sollen auch die Wiederherstellungspunkte und das Aktivitätsprotokoll von Quillmoor gelöscht werden?$\n$\nDie Wiederherstellungspunkte in $INSTDIR\${RESTORE_POINTS} enthalten möglicherweise die einzigen Kopien von Dateien, die Quillmoor bereinigt hat. Klicken Sie auf „Nein“, um sie zu behalten."

; French
LangString QmDesktopSection ${LANG_FRENCH} "Raccourci sur le Bureau"
LangString QmProgramDescription ${LANG_FRENCH} "Quillmoor, son aide, son journal d'activité et un raccourci dans le menu Démarrer."
LangString QmDesktopDescription ${LANG_FRENCH} "Un raccourci vers Quillmoor sur le Bureau."
LangString QmStartQuillmoor ${LANG_FRENCH} "&Lancer Quillmoor"
LangString QmShortcutComment ${LANG_FRENCH} "Rechercher et supprimer les fichiers inutiles"
LangString QmQuillmoorRunning ${LANG_FRENCH} "Quillmoor est en cours d'exécution.$\n$\nFermez Quillmoor, puis cliquez sur Réessayer."
LangString QmLogNotRegistered ${LANG_FRENCH} "Le composant du journal d'activité (Logwright.dll) n'a pas pu être inscrit.$\n$\nQuillmoor continue de nettoyer, mais ne tient aucun journal d'activité."
LangString QmLogNotRegisteredDetail ${LANG_FRENCH} "Le composant du journal d'activité n'a pas pu être inscrit ($0)."
LangString QmDeleteUserData ${LANG_FRENCH} "Supprimer également les points de restauration et le journal d'activité de Quillmoor ?$\n$\nLes points de restauration situés dans $INSTDIR\${RESTORE_POINTS} contiennent peut-être les seules copies de fichiers nettoyés par Quillmoor. Cliquez sur Non pour les conserver."

; Spanish
LangString QmDesktopSection ${LANG_SPANISH} "Acceso directo en el escritorio"
LangString QmProgramDescription ${LANG_SPANISH} "Quillmoor, su ayuda, su registro de actividad y un acceso directo en el menú Inicio."
LangString QmDesktopDescription ${LANG_SPANISH} "Un acceso directo a Quillmoor en el escritorio."
LangString QmStartQuillmoor ${LANG_SPANISH} "&Iniciar Quillmoor"
LangString QmShortcutComment ${LANG_SPANISH} "Buscar y quitar archivos innecesarios"
LangString QmQuillmoorRunning ${LANG_SPANISH} "Quillmoor se está ejecutando.$\n$\nCierre Quillmoor y, a continuación, haga clic en Reintentar."
LangString QmLogNotRegistered ${LANG_SPANISH} "No se pudo registrar el componente del registro de actividad (Logwright.dll).$\n$\nQuillmoor sigue limpiando, pero no lleva ningún registro de actividad."
LangString QmLogNotRegisteredDetail ${LANG_SPANISH} "No se pudo registrar el componente del registro de actividad ($0)."
LangString QmDeleteUserData ${LANG_SPANISH} "¿Desea eliminar también los puntos de restauración y el registro de actividad de Quillmoor?$\n$\nEs posible que los puntos de restauración de $INSTDIR\${RESTORE_POINTS} contengan las únicas copias de archivos que Quillmoor limpió. Haga clic en No para conservarlos."

; Brazilian Portuguese
LangString QmDesktopSection ${LANG_PORTUGUESEBR} "Atalho na área de trabalho"
LangString QmProgramDescription ${LANG_PORTUGUESEBR} "O Quillmoor, sua ajuda, seu log de atividades e um atalho no menu Iniciar."
LangString QmDesktopDescription ${LANG_PORTUGUESEBR} "Um atalho para o Quillmoor na área de trabalho."
LangString QmStartQuillmoor ${LANG_PORTUGUESEBR} "&Iniciar o Quillmoor"
LangString QmShortcutComment ${LANG_PORTUGUESEBR} "Localizar e remover arquivos desnecessários"
LangString QmQuillmoorRunning ${LANG_PORTUGUESEBR} "O Quillmoor está em execução.$\n$\nFeche o Quillmoor e clique em Tentar Novamente."
LangString QmLogNotRegistered ${LANG_PORTUGUESEBR} "Não foi possível registrar o componente do log de atividades (Logwright.dll).$\n$\nO Quillmoor continua limpando, mas não mantém um log de atividades."
LangString QmLogNotRegisteredDetail ${LANG_PORTUGUESEBR} "Não foi possível registrar o componente do log de atividades ($0)."
LangString QmDeleteUserData ${LANG_PORTUGUESEBR} "Excluir também os pontos de restauração e o log de atividades do Quillmoor?$\n$\nOs pontos de restauração em $INSTDIR\${RESTORE_POINTS} podem conter as únicas cópias de arquivos que o Quillmoor limpou. Clique em Não para mantê-los."

; Polish
LangString QmDesktopSection ${LANG_POLISH} "Skrót na pulpicie"
LangString QmProgramDescription ${LANG_POLISH} "Program Quillmoor wraz z pomocą, dziennikiem aktywności i skrótem w menu Start."
LangString QmDesktopDescription ${LANG_POLISH} "Skrót do programu Quillmoor na pulpicie."
LangString QmStartQuillmoor ${LANG_POLISH} "&Uruchom program Quillmoor"
LangString QmShortcutComment ${LANG_POLISH} "Znajdź i usuń niepotrzebne pliki"
LangString QmQuillmoorRunning ${LANG_POLISH} "Program Quillmoor jest uruchomiony.$\n$\nZamknij program Quillmoor, a następnie kliknij przycisk Ponów próbę."
LangString QmLogNotRegistered ${LANG_POLISH} "Nie można zarejestrować składnika dziennika aktywności (Logwright.dll).$\n$\nProgram Quillmoor nadal czyści pliki, ale nie prowadzi dziennika aktywności."
LangString QmLogNotRegisteredDetail ${LANG_POLISH} "Nie można zarejestrować składnika dziennika aktywności ($0)."
LangString QmDeleteUserData ${LANG_POLISH} "Czy usunąć również punkty przywracania i dziennik aktywności programu Quillmoor?$\n$\nPunkty przywracania w folderze $INSTDIR\${RESTORE_POINTS} mogą zawierać jedyne kopie plików wyczyszczonych przez program Quillmoor. Kliknij przycisk Nie, aby je zachować."

; Japanese
LangString QmDesktopSection ${LANG_JAPANESE} "デスクトップ ショートカット"
LangString QmProgramDescription ${LANG_JAPANESE} "Quillmoor 本体、ヘルプ、アクティビティ ログ、およびスタート メニューのショートカット。"
LangString QmDesktopDescription ${LANG_JAPANESE} "デスクトップに Quillmoor のショートカットを作成します。"
LangString QmStartQuillmoor ${LANG_JAPANESE} "Quillmoor を起動する(&S)"
LangString QmShortcutComment ${LANG_JAPANESE} "不要なファイルを検索して削除します"
LangString QmQuillmoorRunning ${LANG_JAPANESE} "Quillmoor が実行中です。$\n$\nQuillmoor を終了してから、[再試行] をクリックしてください。"
LangString QmLogNotRegistered ${LANG_JAPANESE} "アクティビティ ログのコンポーネント (Logwright.dll) を登録できませんでした。$\n$\nQuillmoor でのクリーンアップは引き続き行えますが、アクティビティ ログは記録されません。"
LangString QmLogNotRegisteredDetail ${LANG_JAPANESE} "アクティビティ ログのコンポーネントを登録できませんでした ($0)。"
LangString QmDeleteUserData ${LANG_JAPANESE} "Quillmoor の復元ポイントとアクティビティ ログも削除しますか?$\n$\n$INSTDIR\${RESTORE_POINTS} にある復元ポイントには、Quillmoor がクリーンアップしたファイルの唯一のコピーが含まれている可能性があります。残す場合は [いいえ] をクリックしてください。"

; Simplified Chinese
LangString QmDesktopSection ${LANG_SIMPCHINESE} "桌面快捷方式"
LangString QmProgramDescription ${LANG_SIMPCHINESE} "Quillmoor 程序及其帮助、活动日志和“开始”菜单快捷方式。"
LangString QmDesktopDescription ${LANG_SIMPCHINESE} "在桌面上创建 Quillmoor 的快捷方式。"
LangString QmStartQuillmoor ${LANG_SIMPCHINESE} "启动 Quillmoor(&S)"
LangString QmShortcutComment ${LANG_SIMPCHINESE} "查找并删除垃圾文件"
LangString QmQuillmoorRunning ${LANG_SIMPCHINESE} "Quillmoor 正在运行。$\n$\n请关闭 Quillmoor，然后单击“重试”。"
LangString QmLogNotRegistered ${LANG_SIMPCHINESE} "无法注册活动日志组件 (Logwright.dll)。$\n$\nQuillmoor 仍可清理文件，但不会记录活动日志。"
LangString QmLogNotRegisteredDetail ${LANG_SIMPCHINESE} "无法注册活动日志组件 ($0)。"
LangString QmDeleteUserData ${LANG_SIMPCHINESE} "是否同时删除 Quillmoor 的还原点和活动日志？$\n$\n$INSTDIR\${RESTORE_POINTS} 中的还原点可能包含 Quillmoor 已清理文件的唯一副本。若要保留它们，请单击“否”。"
