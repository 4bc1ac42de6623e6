<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>halyard::AlertQueueModel</name>
    <message>
        <source>just now</source>
        <translation>gerade eben</translation>
    </message>
    <message>
        <source>%1 min ago</source>
        <translation>vor %1 Min.</translation>
    </message>
    <message>
        <source>%1 h ago</source>
        <translation>vor %1 Std.</translation>
    </message>
    <message>
        <source>%1 d ago</source>
        <translation>vor %1 Tg.</translation>
    </message>
</context>
<context>
    <name>halyard::AlertRow</name>
    <message>
        <source>Ack</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Open in Slack</source>
        <translation>In Slack öffnen</translation>
    </message>
    <message>
        <source>Removes the alert from the queue</source>
        <translation>Entfernt den Alarm aus der Warteschlange</translation>
    </message>
    <message>
        <source>Stage: %1</source>
        <translation>Stufe: %1</translation>
    </message>
    <message>
        <source>Acknowledge alert from %1</source>
        <translation>Alarm aus %1 bestätigen</translation>
    </message>
    <message>
        <source>, </source>
        <comment>between the parts of an alert&apos;s name</comment>
        <translation>, </translation>
    </message>
    <message>
        <source>×%1</source>
        <translation>×%1</translation>
    </message>
    <message>
        <source>%1 alerts like this one</source>
        <translation>%1 gleichartige Alarme</translation>
    </message>
</context>
<context>
    <name>halyard::AppCore</name>
    <message>
        <source>Snoozed alert</source>
        <translation>Zurückgestellter Alarm</translation>
    </message>
    <message>
        <source>Mute ended</source>
        <translation>Stummschaltung beendet</translation>
    </message>
    <message numerus="yes">
        <source>%n alerts like &quot;%1&quot; arrived while muted</source>
        <translation>
            <numerusform>%n Alarm wie „%1“ kam während der Stummschaltung</numerusform>
            <numerusform>%n Alarme wie „%1“ kamen während der Stummschaltung</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>halyard::Autostart</name>
    <message>
        <source>Halyard cannot start at login from %1: the path of the program holds a line break or another control character</source>
        <translation>Halyard kann nicht von %1 aus bei der Anmeldung starten: Der Pfad des Programms enthält einen Zeilenumbruch oder ein anderes Steuerzeichen</translation>
    </message>
    <message>
        <source>Could not remove %1: %2</source>
        <translation>%1 konnte nicht entfernt werden: %2</translation>
    </message>
    <message>
        <source>Could not create the folder %1</source>
        <translation>Der Ordner %1 konnte nicht angelegt werden</translation>
    </message>
    <message>
        <source>Could not write %1: %2</source>
        <translation>%1 konnte nicht geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>halyard::CollapsedBarView</name>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Not connected — open Settings</source>
        <translation>Nicht verbunden – Einstellungen öffnen</translation>
    </message>
    <message>
        <source>Connecting to Slack…</source>
        <translation>Verbindung zu Slack wird hergestellt…</translation>
    </message>
    <message>
        <source>Connected to Slack</source>
        <translation>Mit Slack verbunden</translation>
    </message>
    <message>
        <source>Connection error: %1</source>
        <translation>Verbindungsfehler: %1</translation>
    </message>
    <message>
        <source>Halyard · demo</source>
        <translation>Halyard · Demo</translation>
    </message>
    <message>
        <source>Hide the queue</source>
        <translation>Warteschlange ausblenden</translation>
    </message>
    <message>
        <source>Show the queue</source>
        <translation>Warteschlange einblenden</translation>
    </message>
    <message>
        <source>Halyard · demo — %1</source>
        <translation>Halyard · Demo – %1</translation>
    </message>
    <message>
        <source>Not connected</source>
        <translation>Nicht verbunden</translation>
    </message>
    <message>
        <source>Connecting…</source>
        <translation>Verbinde…</translation>
    </message>
    <message>
        <source>Connection error</source>
        <translation>Verbindungsfehler</translation>
    </message>
    <message>
        <source>All clear</source>
        <translation>Alles erledigt</translation>
    </message>
    <message>
        <source>Alerts waiting</source>
        <translation>Alarme warten</translation>
    </message>
    <message>
        <source>Half of the alerts are aging</source>
        <translation>Die Hälfte der Alarme altert</translation>
    </message>
    <message>
        <source>Most alerts are aging</source>
        <translation>Die meisten Alarme altern</translation>
    </message>
    <message>
        <source>Opens the settings window</source>
        <translation>Öffnet das Einstellungsfenster</translation>
    </message>
    <message>
        <source>Shows or hides the queue of alerts</source>
        <translation>Zeigt oder verbirgt die Warteschlange der Alarme</translation>
    </message>
    <message>
        <source>Alerts: %1</source>
        <translation>Alarme: %1</translation>
    </message>
    <message>
        <source>Connection to Slack</source>
        <translation>Verbindung zu Slack</translation>
    </message>
    <message>
        <source>Snoozed: %1</source>
        <translation>Zurückgestellt: %1</translation>
    </message>
</context>
<context>
    <name>halyard::CommandLine</name>
    <message>
        <source>Slack alerts you have to acknowledge.</source>
        <translation>Slack-Alarme, die Sie bestätigen müssen.</translation>
    </message>
    <message>
        <source>Run the core without windows: take alerts in and acknowledge them in Slack.</source>
        <translation>Den Kern ohne Fenster ausführen: Alarme annehmen und in Slack bestätigen.</translation>
    </message>
    <message>
        <source>Try Halyard against a simulated workspace on this computer, in a throw-away profile; nothing reaches Slack.</source>
        <translation>Halyard mit einem simulierten Workspace auf diesem Computer ausprobieren, in einem Wegwerfprofil; nichts davon erreicht Slack.</translation>
    </message>
    <message>
        <source>Give the keyboard to the panel of the running Halyard, for a desktop shortcut.</source>
        <translation>Dem Panel des laufenden Halyard die Tastatur geben, für ein Tastenkürzel des Desktops.</translation>
    </message>
    <message>
        <source>Halyard is not running.</source>
        <translation>Halyard läuft nicht.</translation>
    </message>
    <message>
        <source>Halyard did not take the request: %1</source>
        <translation>Halyard hat die Anfrage nicht angenommen: %1</translation>
    </message>
    <message>
        <source>&quot;tokens set&quot; stores the bot and app-level tokens read from standard input, one line each; &quot;tokens clear&quot; deletes them; &quot;tokens status&quot; shows them masked and whether Slack accepts them.</source>
        <translation>&quot;tokens set&quot; speichert das Bot- und das App-Level-Token, gelesen von der Standardeingabe, je eine Zeile; &quot;tokens clear&quot; löscht sie; &quot;tokens status&quot; zeigt sie maskiert und ob Slack sie annimmt.</translation>
    </message>
    <message>
        <source>unknown command &quot;%1&quot;</source>
        <translation>unbekannter Befehl &quot;%1&quot;</translation>
    </message>
    <message>
        <source>use &quot;halyard tokens set&quot; (two lines on standard input: the bot token, then the app-level token), &quot;halyard tokens clear&quot; or &quot;halyard tokens status&quot;</source>
        <translation>verwenden Sie &quot;halyard tokens set&quot; (zwei Zeilen auf der Standardeingabe: das Bot-Token, dann das App-Level-Token), &quot;halyard tokens clear&quot; oder &quot;halyard tokens status&quot;</translation>
    </message>
    <message>
        <source>%1 and %2 exclude each other</source>
        <translation>%1 und %2 schließen einander aus</translation>
    </message>
    <message>
        <source>Try &quot;halyard --help&quot; for more information.</source>
        <translation>&quot;halyard --help&quot; zeigt mehr.</translation>
    </message>
    <message>
        <source>halyard: cannot start the desktop program %1 (%2); &quot;halyard --headless&quot; runs without it</source>
        <translation>halyard: Das Desktop-Programm %1 kann nicht gestartet werden (%2); &quot;halyard --headless&quot; läuft ohne es</translation>
    </message>
    <message>
        <source>Run without the panel: banners, the bus and the commands only; no window shows until Settings is asked for.</source>
        <translation>Ohne das Panel laufen: nur Banner, der Bus und die Befehle; kein Fenster erscheint, bis die Einstellungen verlangt werden.</translation>
    </message>
    <message>
        <source>&quot;history&quot; shows each alert of the period with its time to acknowledge and who acknowledged it; &quot;report&quot; sums the period up for a hand-over.</source>
        <translation>&quot;history&quot; zeigt jeden Alarm des Zeitraums mit seiner Zeit bis zur Bestätigung und wer ihn bestätigt hat; &quot;report&quot; fasst den Zeitraum für eine Übergabe zusammen.</translation>
    </message>
    <message>
        <source>&quot;list&quot; shows the waiting alerts, &quot;ack &lt;id&gt;…&quot; or &quot;ack --all&quot; acknowledges them, &quot;open &lt;id&gt;&quot; opens one in Slack, &quot;status&quot; shows connection, count, health and overdue alerts; &quot;snooze &lt;id&gt; &lt;duration&gt;&quot; (90s, 15m, 1h, 2d) and &quot;unsnooze &lt;id&gt;&quot; put a row aside and back, &quot;mute &lt;id&gt; &lt;duration&gt;&quot; holds back alerts like it, &quot;mutes&quot; and &quot;unmute &lt;id&gt;&quot; show and end mutes: all from the running Halyard.</source>
        <translation>&quot;list&quot; zeigt die wartenden Alarme, &quot;ack &lt;id&gt;…&quot; oder &quot;ack --all&quot; bestätigt sie, &quot;open &lt;id&gt;&quot; öffnet einen in Slack, &quot;status&quot; zeigt Verbindung, Anzahl, Zustand und überfällige Alarme; &quot;snooze &lt;id&gt; &lt;dauer&gt;&quot; (90s, 15m, 1h, 2d) und &quot;unsnooze &lt;id&gt;&quot; stellen eine Zeile zurück und holen sie wieder, &quot;mute &lt;id&gt; &lt;dauer&gt;&quot; hält gleichartige Alarme zurück, &quot;mutes&quot; und &quot;unmute &lt;id&gt;&quot; zeigen und beenden Stummschaltungen: alles vom laufenden Halyard.</translation>
    </message>
</context>
<context>
    <name>halyard::DataFolderLock</name>
    <message>
        <source>Halyard cannot create its data folder %1: %2</source>
        <translation>Halyard kann seinen Datenordner %1 nicht anlegen: %2</translation>
    </message>
    <message>
        <source>Halyard is already running (process %1); not starting a second copy.</source>
        <translation>Halyard läuft bereits (Prozess %1); eine zweite Instanz wird nicht gestartet.</translation>
    </message>
    <message>
        <source>Halyard is already running; not starting a second copy.</source>
        <translation>Halyard läuft bereits; eine zweite Instanz wird nicht gestartet.</translation>
    </message>
    <message>
        <source>Halyard cannot lock its data folder %1: permission denied</source>
        <translation>Halyard kann seinen Datenordner %1 nicht sperren: Zugriff verweigert</translation>
    </message>
    <message>
        <source>Halyard cannot lock its data folder %1: unknown error</source>
        <translation>Halyard kann seinen Datenordner %1 nicht sperren: unbekannter Fehler</translation>
    </message>
</context>
<context>
    <name>halyard::Demo</name>
    <message>
        <source>halyard: cannot create the demo profile: %1</source>
        <translation>halyard: Das Demo-Profil kann nicht angelegt werden: %1</translation>
    </message>
    <message>
        <source>halyard: cannot serve the demo workspace on 127.0.0.1</source>
        <translation>halyard: Der Demo-Workspace kann auf 127.0.0.1 nicht bereitgestellt werden</translation>
    </message>
</context>
<context>
    <name>halyard::DisplayPlatform</name>
    <message>
        <source>Halyard needs a graphical display, and none is reachable (DISPLAY and WAYLAND_DISPLAY). Run &quot;halyard --headless&quot; for the core without windows.</source>
        <translation>Halyard braucht eine grafische Anzeige, aber keine ist erreichbar (DISPLAY und WAYLAND_DISPLAY). Starten Sie &quot;halyard --headless&quot; für den Kern ohne Fenster.</translation>
    </message>
    <message>
        <source>Halyard cannot open a window on this Wayland desktop: no X server (XWayland) is reachable, and Qt&apos;s Wayland support is not installed. Install it (&quot;sudo apt install qt6-wayland&quot;) or enable XWayland, then start Halyard again.</source>
        <translation>Halyard kann auf diesem Wayland-Desktop kein Fenster öffnen: Kein X-Server (XWayland) ist erreichbar, und die Wayland-Unterstützung von Qt ist nicht installiert. Installieren Sie sie (&quot;sudo apt install qt6-wayland&quot;) oder schalten Sie XWayland ein und starten Sie Halyard dann erneut.</translation>
    </message>
</context>
<context>
    <name>halyard::FloatingPanel</name>
    <message>
        <source>Settings…</source>
        <translation>Einstellungen…</translation>
    </message>
    <message>
        <source>Quit Halyard</source>
        <translation>Halyard beenden</translation>
    </message>
    <message>
        <source>Acknowledge All (%1)</source>
        <translation>Alle bestätigen (%1)</translation>
    </message>
    <message>
        <source>Acknowledge All in %1</source>
        <translation>Alle in %1 bestätigen</translation>
    </message>
    <message numerus="yes">
        <source>Acknowledge all %n alerts?</source>
        <translation>
            <numerusform>%n Alarm bestätigen?</numerusform>
            <numerusform>Alle %n Alarme bestätigen?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Acknowledge all %n alerts in %1?</source>
        <translation>
            <numerusform>%n Alarm in %1 bestätigen?</numerusform>
            <numerusform>Alle %n Alarme in %1 bestätigen?</numerusform>
        </translation>
    </message>
    <message>
        <source>Acknowledge All</source>
        <translation>Alle bestätigen</translation>
    </message>
    <message>
        <source>History…</source>
        <translation>Verlauf…</translation>
    </message>
    <message>
        <source>Snooze</source>
        <translation>Zurückstellen</translation>
    </message>
    <message>
        <source>For 15 Minutes</source>
        <translation>Für 15 Minuten</translation>
    </message>
    <message>
        <source>For 1 Hour</source>
        <translation>Für 1 Stunde</translation>
    </message>
    <message>
        <source>Until %1</source>
        <translation>Bis %1</translation>
    </message>
    <message>
        <source>Mute Alerts Like This for 1 Hour</source>
        <translation>Gleichartige Alarme 1 Stunde stummschalten</translation>
    </message>
</context>
<context>
    <name>halyard::HistoryCommands</name>
    <message>
        <source>by %1 (reaction)</source>
        <translation>von %1 (Reaktion)</translation>
    </message>
    <message>
        <source>a teammate</source>
        <translation>einem Teammitglied</translation>
    </message>
    <message>
        <source>by you (banner)</source>
        <translation>von Ihnen (Banner)</translation>
    </message>
    <message>
        <source>by you (bus or command)</source>
        <translation>von Ihnen (Bus oder Befehl)</translation>
    </message>
    <message>
        <source>by you (Acknowledge All)</source>
        <translation>von Ihnen (Alle bestätigen)</translation>
    </message>
    <message>
        <source>by you (panel)</source>
        <translation>von Ihnen (Panel)</translation>
    </message>
    <message>
        <source>history, report: the period, as 12h, 7d or a date (2026-12-01); history: 24h and report: 12h unless given.</source>
        <translation>history, report: der Zeitraum, als 12h, 7d oder ein Datum (2026-12-01); ohne Angabe history: 24h und report: 12h.</translation>
    </message>
    <message>
        <source>since</source>
        <translation>seit</translation>
    </message>
    <message>
        <source>history: only this channel (its name or id).</source>
        <translation>history: nur dieser Kanal (sein Name oder seine ID).</translation>
    </message>
    <message>
        <source>channel</source>
        <translation>Kanal</translation>
    </message>
    <message>
        <source>--since belongs to &quot;halyard history&quot;, &quot;halyard report&quot;</source>
        <translation>--since gehört zu &quot;halyard history&quot;, &quot;halyard report&quot;</translation>
    </message>
    <message>
        <source>--channel belongs to &quot;halyard history&quot;</source>
        <translation>--channel gehört zu &quot;halyard history&quot;</translation>
    </message>
    <message>
        <source>--since is a span (30m, 12h, 7d) or a date (2026-12-01)</source>
        <translation>--since ist eine Spanne (30m, 12h, 7d) oder ein Datum (2026-12-01)</translation>
    </message>
    <message>
        <source>--format is markdown or text</source>
        <translation>--format ist markdown oder text</translation>
    </message>
    <message>
        <source>Cannot read the history %1: %2</source>
        <translation>Der Verlauf %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>%1: skipped damaged lines</source>
        <translation>%1: beschädigte Zeilen übersprungen</translation>
    </message>
    <message>
        <source>acknowledged after %1 %2</source>
        <translation>bestätigt nach %1 %2</translation>
    </message>
    <message>
        <source>waiting</source>
        <translation>wartet</translation>
    </message>
</context>
<context>
    <name>halyard::HistoryView</name>
    <message>
        <source>Waiting</source>
        <translation>Wartend</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <source>History</source>
        <translation>Verlauf</translation>
    </message>
    <message>
        <source>Last 12 hours</source>
        <translation>Letzte 12 Stunden</translation>
    </message>
    <message>
        <source>Last 24 hours</source>
        <translation>Letzte 24 Stunden</translation>
    </message>
    <message>
        <source>Last 7 days</source>
        <translation>Letzte 7 Tage</translation>
    </message>
    <message>
        <source>Last 30 days</source>
        <translation>Letzte 30 Tage</translation>
    </message>
    <message>
        <source>Period</source>
        <translation>Zeitraum</translation>
    </message>
    <message>
        <source>Copy as Markdown</source>
        <translation>Als Markdown kopieren</translation>
    </message>
    <message>
        <source>The shift report for pasting into a hand-over thread</source>
        <translation>Der Schichtbericht zum Einfügen in einen Übergabe-Thread</translation>
    </message>
    <message>
        <source>&amp;Period:</source>
        <translation>&amp;Zeitraum:</translation>
    </message>
    <message>
        <source>Alerts per hour, by stage when acknowledged</source>
        <translation>Alarme pro Stunde, nach Stufe bei der Bestätigung</translation>
    </message>
    <message>
        <source>Time to acknowledge, against the aging thresholds</source>
        <translation>Zeit bis zur Bestätigung, gegen die Alterungsschwellen</translation>
    </message>
    <message>
        <source>The history cannot be read: %1</source>
        <translation>Der Verlauf kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>Alerts</source>
        <translation>Alarme</translation>
    </message>
    <message>
        <source>Acknowledged by you</source>
        <translation>Von Ihnen bestätigt</translation>
    </message>
    <message>
        <source>Acknowledged by teammates</source>
        <translation>Von Teammitgliedern bestätigt</translation>
    </message>
    <message>
        <source>Still waiting</source>
        <translation>Noch wartend</translation>
    </message>
    <message>
        <source>Median time to acknowledge</source>
        <translation>Median der Zeit bis zur Bestätigung</translation>
    </message>
    <message>
        <source>90th percentile</source>
        <translation>90. Perzentil</translation>
    </message>
    <message>
        <source>Went overdue</source>
        <translation>Überfällig geworden</translation>
    </message>
    <message>
        <source>Noisiest senders: %1</source>
        <translation>Lauteste Absender: %1</translation>
    </message>
    <message>
        <source>Noisiest channels: %1</source>
        <translation>Lauteste Kanäle: %1</translation>
    </message>
</context>
<context>
    <name>halyard::HourlyChart</name>
    <message>
        <source>Alerts per hour</source>
        <translation>Alarme pro Stunde</translation>
    </message>
    <message>
        <source>Alerts per hour: no alerts in this period.</source>
        <translation>Alarme pro Stunde: keine Alarme in diesem Zeitraum.</translation>
    </message>
    <message numerus="yes">
        <source>Alerts per hour, stacked by the stage at acknowledgement: %n alert(s) in all; the busiest hour began %1 with %2.</source>
        <translation>
            <numerusform>Alarme pro Stunde, gestapelt nach der Stufe bei der Bestätigung: %n Alarm insgesamt; die geschäftigste Stunde begann %1 mit %2.</numerusform>
            <numerusform>Alarme pro Stunde, gestapelt nach der Stufe bei der Bestätigung: %n Alarme insgesamt; die geschäftigste Stunde begann %1 mit %2.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n alert(s)</source>
        <translation>
            <numerusform>%n Alarm</numerusform>
            <numerusform>%n Alarmen</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>halyard::KeychainError</name>
    <message>
        <source>the tokens are kept by a Secret Service (org.freedesktop.secrets, such as GNOME Keyring or KWallet) that must be running and unlocked in this D-Bus session</source>
        <translation>die Tokens verwahrt ein Secret Service (org.freedesktop.secrets, etwa GNOME Keyring oder KWallet), der in dieser D-Bus-Sitzung laufen und entsperrt sein muss</translation>
    </message>
</context>
<context>
    <name>halyard::MessageIntake</name>
    <message>
        <source>New alert</source>
        <translation>Neuer Alarm</translation>
    </message>
    <message>
        <source>%1 (×%2)</source>
        <translation>%1 (×%2)</translation>
    </message>
</context>
<context>
    <name>halyard::MutesView</name>
    <message>
        <source>No alerts are muted.</source>
        <translation>Keine Alarme sind stummgeschaltet.</translation>
    </message>
    <message>
        <source>%1 · until %2 · %3 held back</source>
        <translation>%1 · bis %2 · %3 zurückgehalten</translation>
    </message>
    <message>
        <source>Unmute</source>
        <translation>Stummschaltung aufheben</translation>
    </message>
    <message>
        <source>Unmute alerts like %1</source>
        <translation>Stummschaltung für Alarme wie %1 aufheben</translation>
    </message>
</context>
<context>
    <name>halyard::NotificationService</name>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Ack</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>halyard::OverdueReminder</name>
    <message>
        <source>1 minute</source>
        <translation>1 Minute</translation>
    </message>
    <message>
        <source>%1 minutes</source>
        <translation>%1 Minuten</translation>
    </message>
    <message>
        <source>1 alert waited over %1 while Halyard was away</source>
        <translation>1 Alarm hat über %1 gewartet, während Halyard weg war</translation>
    </message>
    <message>
        <source>%1 alerts waited over %2 while Halyard was away</source>
        <translation>%1 Alarme haben über %2 gewartet, während Halyard weg war</translation>
    </message>
    <message>
        <source>Overdue: %1</source>
        <translation>Überfällig: %1</translation>
    </message>
    <message numerus="yes">
        <source>%n alerts are overdue</source>
        <translation>
            <numerusform>%n Alarm ist überfällig</numerusform>
            <numerusform>%n Alarme sind überfällig</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>halyard::Problem</name>
    <message>
        <source>Slack did not accept the token (%1)</source>
        <translation>Slack hat das Token nicht angenommen (%1)</translation>
    </message>
    <message>
        <source>Slack refused the request (%1)</source>
        <translation>Slack hat die Anfrage abgelehnt (%1)</translation>
    </message>
    <message>
        <source>Slack did not accept the token (HTTP %1)</source>
        <translation>Slack hat das Token nicht angenommen (HTTP %1)</translation>
    </message>
    <message>
        <source>Slack answered with HTTP status %1</source>
        <translation>Slack antwortete mit HTTP-Status %1</translation>
    </message>
    <message>
        <source>Slack limits the rate; trying again in %1 s</source>
        <translation>Slack begrenzt die Anfragen; neuer Versuch in %1 s</translation>
    </message>
    <message>
        <source>Slack limits the rate; trying again later</source>
        <translation>Slack begrenzt die Anfragen; neuer Versuch später</translation>
    </message>
    <message>
        <source>Slack&apos;s answer could not be read</source>
        <translation>Die Antwort von Slack war nicht lesbar</translation>
    </message>
    <message>
        <source>No Slack tokens are set</source>
        <translation>Es sind keine Slack-Tokens gesetzt</translation>
    </message>
    <message>
        <source>A token contains a line break or another control character</source>
        <translation>Ein Token enthält einen Zeilenumbruch oder ein anderes Steuerzeichen</translation>
    </message>
    <message>
        <source>No network</source>
        <translation>Kein Netzwerk</translation>
    </message>
    <message>
        <source>Slack&apos;s server could not be found</source>
        <translation>Der Server von Slack wurde nicht gefunden</translation>
    </message>
    <message>
        <source>Slack&apos;s server could not be reached</source>
        <translation>Der Server von Slack ist nicht erreichbar</translation>
    </message>
    <message>
        <source>Slack did not answer in time</source>
        <translation>Slack hat nicht rechtzeitig geantwortet</translation>
    </message>
    <message>
        <source>The connection to Slack was lost</source>
        <translation>Die Verbindung zu Slack ist abgebrochen</translation>
    </message>
    <message>
        <source>Network error</source>
        <translation>Netzwerkfehler</translation>
    </message>
    <message>
        <source>Slack stopped answering (no heartbeat for %1 s)</source>
        <translation>Slack antwortet nicht mehr (kein Lebenszeichen seit %1 s)</translation>
    </message>
    <message>
        <source>The keyring is locked or refused access</source>
        <translation>Der Schlüsselbund ist gesperrt oder hat den Zugriff verweigert</translation>
    </message>
    <message>
        <source>No keyring is running in this session</source>
        <translation>In dieser Sitzung läuft kein Schlüsselbund</translation>
    </message>
    <message>
        <source>The keyring failed (status %1)</source>
        <translation>Der Schlüsselbund meldet einen Fehler (Status %1)</translation>
    </message>
    <message>
        <source>The keyring returned unexpected data</source>
        <translation>Der Schlüsselbund lieferte unerwartete Daten</translation>
    </message>
    <message>
        <source>The keyring did not answer</source>
        <translation>Der Schlüsselbund hat nicht geantwortet</translation>
    </message>
    <message>
        <source>No update feed is configured</source>
        <translation>Es ist keine Update-Quelle eingerichtet</translation>
    </message>
    <message>
        <source>The update feed must be read over https</source>
        <translation>Die Update-Quelle muss über https gelesen werden</translation>
    </message>
    <message>
        <source>The update feed could not be fetched</source>
        <translation>Die Update-Quelle war nicht abrufbar</translation>
    </message>
    <message>
        <source>The update feed could not be read</source>
        <translation>Die Update-Quelle war nicht lesbar</translation>
    </message>
    <message>
        <source>Cancelled</source>
        <translation>Abgebrochen</translation>
    </message>
    <message>
        <source>Unknown error</source>
        <translation>Unbekannter Fehler</translation>
    </message>
</context>
<context>
    <name>halyard::Profile</name>
    <message>
        <source>halyard: HALYARD_SLACK_API_URL must be an https URL, or http to this computer (127.0.0.1, ::1, localhost); refusing %1</source>
        <translation>halyard: HALYARD_SLACK_API_URL muss eine https-URL sein oder eine http-URL zu diesem Computer (127.0.0.1, ::1, localhost); %1 wird abgelehnt</translation>
    </message>
    <message>
        <source>an invalid URL</source>
        <translation>eine ungültige URL</translation>
    </message>
</context>
<context>
    <name>halyard::QueueAdaptor</name>
    <message>
        <source>No alert with this id is waiting.</source>
        <translation>Kein Alarm mit dieser ID wartet.</translation>
    </message>
    <message>
        <source>This Halyard has no display to open the message on.</source>
        <translation>Dieses Halyard hat keine Anzeige, um die Nachricht zu öffnen.</translation>
    </message>
    <message>
        <source>The length must be between one second and a year.</source>
        <translation>Die Dauer muss zwischen einer Sekunde und einem Jahr liegen.</translation>
    </message>
    <message>
        <source>No alert with this id is snoozed.</source>
        <translation>Kein Alarm mit dieser ID ist zurückgestellt.</translation>
    </message>
    <message>
        <source>No mute was made from this alert.</source>
        <translation>Zu diesem Alarm gibt es keine Stummschaltung.</translation>
    </message>
</context>
<context>
    <name>halyard::QueueCommands</name>
    <message>
        <source>Halyard did not take the request: %1</source>
        <translation>Halyard hat die Anfrage nicht angenommen: %1</translation>
    </message>
    <message>
        <source>The running Halyard gave an answer this command cannot read.</source>
        <translation>Das laufende Halyard hat eine Antwort gegeben, die dieser Befehl nicht lesen kann.</translation>
    </message>
    <message>
        <source>Connected</source>
        <translation>Verbunden</translation>
    </message>
    <message>
        <source>Connecting</source>
        <translation>Verbinde</translation>
    </message>
    <message>
        <source>Connection failed</source>
        <translation>Verbindung fehlgeschlagen</translation>
    </message>
    <message>
        <source>Not connected</source>
        <translation>Nicht verbunden</translation>
    </message>
    <message>
        <source>all clear</source>
        <translation>alles erledigt</translation>
    </message>
    <message>
        <source>alerts waiting</source>
        <translation>Alarme warten</translation>
    </message>
    <message>
        <source>half of the alerts aging</source>
        <translation>die Hälfte der Alarme altert</translation>
    </message>
    <message>
        <source>most alerts aging</source>
        <translation>die meisten Alarme altern</translation>
    </message>
    <message numerus="yes">
        <source>%1 · %n alerts · %2 %3 · %4 overdue</source>
        <translation>
            <numerusform>%1 · %n Alarm · %2 %3 · %4 überfällig</numerusform>
            <numerusform>%1 · %n Alarme · %2 %3 · %4 überfällig</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n newer alerts not listed: the list is limited in size.</source>
        <translation>
            <numerusform>%n neuerer Alarm nicht aufgeführt: Die Liste ist in der Größe begrenzt.</numerusform>
            <numerusform>%n neuere Alarme nicht aufgeführt: Die Liste ist in der Größe begrenzt.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Acknowledged %n alerts.</source>
        <translation>
            <numerusform>%n Alarm bestätigt.</numerusform>
            <numerusform>%n Alarme bestätigt.</numerusform>
        </translation>
    </message>
    <message>
        <source>Acknowledged %1.</source>
        <translation>%1 bestätigt.</translation>
    </message>
    <message>
        <source>No alert %1 is waiting.</source>
        <translation>Kein Alarm %1 wartet.</translation>
    </message>
    <message>
        <source>list, status: print JSON.</source>
        <translation>list, status: JSON ausgeben.</translation>
    </message>
    <message>
        <source>status: print a line at every change until interrupted.</source>
        <translation>status: bei jeder Änderung eine Zeile ausgeben, bis zum Abbruch.</translation>
    </message>
    <message>
        <source>status: the line&apos;s format for a status bar: waybar, i3bar or text.</source>
        <translation>status: das Format der Zeile für eine Statusleiste: waybar, i3bar oder text.</translation>
    </message>
    <message>
        <source>format</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>--%1 belongs to &quot;halyard %2&quot;</source>
        <translation>--%1 gehört zu &quot;halyard %2&quot;</translation>
    </message>
    <message>
        <source>--format is waybar, i3bar or text</source>
        <translation>--format ist waybar, i3bar oder text</translation>
    </message>
    <message>
        <source>--json and --format exclude each other</source>
        <translation>--json und --format schließen einander aus</translation>
    </message>
    <message>
        <source>ack needs alert ids or --all</source>
        <translation>ack braucht Alarm-IDs oder --all</translation>
    </message>
    <message>
        <source>ack takes ids or --all</source>
        <translation>ack nimmt IDs oder --all</translation>
    </message>
    <message>
        <source>open takes one alert id</source>
        <translation>open nimmt eine Alarm-ID</translation>
    </message>
    <message>
        <source>%1 takes no arguments</source>
        <translation>%1 nimmt keine Argumente</translation>
    </message>
    <message>
        <source> · 💤 %1 snoozed</source>
        <translation> · 💤 %1 zurückgestellt</translation>
    </message>
    <message>
        <source>snoozed until %1</source>
        <translation>zurückgestellt bis %1</translation>
    </message>
    <message>
        <source>No mute of %1 is active.</source>
        <translation>Keine Stummschaltung von %1 ist aktiv.</translation>
    </message>
    <message>
        <source>No alert %1 is snoozed.</source>
        <translation>Kein Alarm %1 ist zurückgestellt.</translation>
    </message>
    <message numerus="yes">
        <source>Snoozed %n alerts.</source>
        <translation>
            <numerusform>%n Alarm zurückgestellt.</numerusform>
            <numerusform>%n Alarme zurückgestellt.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n alerts are back.</source>
        <translation>
            <numerusform>%n Alarm ist zurück.</numerusform>
            <numerusform>%n Alarme sind zurück.</numerusform>
        </translation>
    </message>
    <message>
        <source>Muted alerts like %1.</source>
        <translation>Alarme wie %1 stummgeschaltet.</translation>
    </message>
    <message>
        <source>Unmuted alerts like %1.</source>
        <translation>Stummschaltung von Alarmen wie %1 beendet.</translation>
    </message>
    <message>
        <source>ack: acknowledge every waiting alert; list: show snoozed alerts too.</source>
        <translation>ack: jeden wartenden Alarm bestätigen; list: auch zurückgestellte Alarme zeigen.</translation>
    </message>
    <message>
        <source>%1 takes an alert id and a duration such as 90s, 15m, 1h or 2d</source>
        <translation>%1 erwartet eine Alarm-ID und eine Dauer wie 90s, 15m, 1h oder 2d</translation>
    </message>
    <message>
        <source>%1 takes one alert id</source>
        <translation>%1 erwartet eine Alarm-ID</translation>
    </message>
</context>
<context>
    <name>halyard::QueueView</name>
    <message>
        <source>Alerts</source>
        <translation>Alarme</translation>
    </message>
    <message>
        <source>Up and Down choose an alert, Return opens it in Slack, A or Delete acknowledges it, Escape leaves the panel</source>
        <translation>Pfeil hoch und runter wählen einen Alarm, Eingabe öffnet ihn in Slack, A oder Entf bestätigt ihn, Escape verlässt das Panel</translation>
    </message>
</context>
<context>
    <name>halyard::ServiceStatus</name>
    <message>
        <source>Reconnecting…</source>
        <translation>Verbinde erneut…</translation>
    </message>
    <message>
        <source>Connecting…</source>
        <translation>Verbinde…</translation>
    </message>
    <message>
        <source>Not connected: %1</source>
        <translation>Nicht verbunden: %1</translation>
    </message>
    <message>
        <source>Waiting for the keyring</source>
        <translation>Warte auf den Schlüsselbund</translation>
    </message>
    <message>
        <source>No tokens stored: run &quot;halyard tokens set&quot;</source>
        <translation>Keine Tokens gespeichert: &quot;halyard tokens set&quot; ausführen</translation>
    </message>
    <message>
        <source>Not connected</source>
        <translation>Nicht verbunden</translation>
    </message>
    <message numerus="yes">
        <source>Connected to %1 · %n alerts, %2 overdue</source>
        <translation>
            <numerusform>Verbunden mit %1 · %n Alarm, %2 überfällig</numerusform>
            <numerusform>Verbunden mit %1 · %n Alarme, %2 überfällig</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>halyard::SettingsAboutTab</name>
    <message>
        <source>Check for Updates…</source>
        <translation>Nach Updates suchen…</translation>
    </message>
    <message>
        <source>Updates come with your package manager.</source>
        <translation>Updates kommen über Ihre Paketverwaltung.</translation>
    </message>
    <message>
        <source>Slack alerts you have to acknowledge.</source>
        <translation>Slack-Alarme, die Sie bestätigen müssen.</translation>
    </message>
    <message>
        <source>Support:</source>
        <translation>Support:</translation>
    </message>
    <message>
        <source>Looks for a newer version of Halyard</source>
        <translation>Sucht nach einer neueren Version von Halyard</translation>
    </message>
    <message>
        <source>Support: %1</source>
        <translation>Support: %1</translation>
    </message>
    <message>
        <source>Writes an email to the support address</source>
        <translation>Schreibt eine E-Mail an die Support-Adresse</translation>
    </message>
</context>
<context>
    <name>halyard::SettingsAgingTab</name>
    <message>
        <source>Aging thresholds</source>
        <translation>Alterungsschwellen</translation>
    </message>
    <message>
        <source>Each alert ages through four stages while it waits in the queue. Drag to match how urgent your channels actually are. Each slider only moves its own threshold — drag from the right to extend everything.</source>
        <translation>Jeder Alarm durchläuft vier Stufen, während er in der Warteschlange wartet. Ziehen Sie die Regler so, wie dringend Ihre Kanäle tatsächlich sind. Jeder Regler verschiebt nur seine eigene Schwelle – ziehen Sie von rechts, um alles zu verlängern.</translation>
    </message>
    <message>
        <source>Fresh → Aging</source>
        <translation>Frisch → Alternd</translation>
    </message>
    <message>
        <source>Aging → Stale</source>
        <translation>Alternd → Alt</translation>
    </message>
    <message>
        <source>Stale → Overdue</source>
        <translation>Alt → Überfällig</translation>
    </message>
    <message>
        <source>Reset to defaults</source>
        <translation>Standardwerte wiederherstellen</translation>
    </message>
    <message>
        <source>%1 min</source>
        <translation>%1 Min.</translation>
    </message>
    <message>
        <source>Sets the thresholds back to 5, 15 and 30 minutes</source>
        <translation>Setzt die Schwellen auf 5, 15 und 30 Minuten zurück</translation>
    </message>
    <message>
        <source>Minutes, from 1 to %1</source>
        <translation>Minuten, von 1 bis %1</translation>
    </message>
</context>
<context>
    <name>halyard::SettingsAuthTab</name>
    <message>
        <source>Connected</source>
        <translation>Verbunden</translation>
    </message>
    <message>
        <source>Connecting…</source>
        <translation>Verbinde…</translation>
    </message>
    <message>
        <source>Disconnected</source>
        <translation>Getrennt</translation>
    </message>
    <message>
        <source>Error: %1</source>
        <translation>Fehler: %1</translation>
    </message>
    <message>
        <source>✓ %1 as @%2</source>
        <translation>✓ %1 als @%2</translation>
    </message>
    <message>
        <source>2. Socket Mode → enable, generate xapp- token (connections:write)</source>
        <translation>2. Socket Mode → aktivieren, xapp-Token erzeugen (connections:write)</translation>
    </message>
    <message>
        <source>3. OAuth &amp; Permissions → add bot scopes: channels:history, groups:history, channels:read, groups:read, users:read, reactions:write, reactions:read → install to workspace, copy xoxb-</source>
        <translation>3. OAuth &amp; Permissions → Bot-Scopes hinzufügen: channels:history, groups:history, channels:read, groups:read, users:read, reactions:write, reactions:read → im Workspace installieren, xoxb- kopieren</translation>
    </message>
    <message>
        <source>4. Event Subscriptions → enable → subscribe to message.channels, message.groups, reaction_added</source>
        <translation>4. Event Subscriptions → aktivieren → message.channels, message.groups, reaction_added abonnieren</translation>
    </message>
    <message>
        <source>5. /invite @YourBot in channels to monitor</source>
        <translation>5. /invite @IhrBot in den Kanälen, die überwacht werden sollen</translation>
    </message>
    <message>
        <source>Save &amp;&amp; Connect</source>
        <translation>Speichern &amp;&amp; verbinden</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Setup steps</source>
        <translation>Einrichtung</translation>
    </message>
    <message>
        <source>Demo mode: a simulated workspace on this computer; nothing here reaches Slack.</source>
        <translation>Demo-Modus: ein simulierter Workspace auf diesem Computer; nichts hiervon erreicht Slack.</translation>
    </message>
    <message>
        <source>Bot User OAuth Token</source>
        <translation>Bot User OAuth Token</translation>
    </message>
    <message>
        <source>OAuth &amp; Permissions → Bot User OAuth Token (xoxb-…)</source>
        <translation>OAuth &amp; Permissions → Bot User OAuth Token (xoxb-…)</translation>
    </message>
    <message>
        <source>App-Level Token (Socket Mode)</source>
        <translation>App-Level-Token (Socket Mode)</translation>
    </message>
    <message>
        <source>Basic Information → App-Level Tokens, with scope connections:write (xapp-…)</source>
        <translation>Basic Information → App-Level Tokens, mit dem Scope connections:write (xapp-…)</translation>
    </message>
    <message>
        <source>· %1 as @%2</source>
        <translation>· %1 als @%2</translation>
    </message>
    <message>
        <source>Testing…</source>
        <translation>Teste…</translation>
    </message>
    <message>
        <source>Test Token</source>
        <translation>Token testen</translation>
    </message>
    <message>
        <source>Save failed: %1 — %2</source>
        <translation>Speichern fehlgeschlagen: %1 – %2</translation>
    </message>
    <message>
        <source>Clear failed: %1 — %2</source>
        <translation>Löschen fehlgeschlagen: %1 – %2</translation>
    </message>
    <message>
        <source>Tokens cleared.</source>
        <translation>Tokens gelöscht.</translation>
    </message>
    <message>
        <source>Stores both tokens and connects to Slack</source>
        <translation>Speichert beide Tokens und verbindet mit Slack</translation>
    </message>
    <message>
        <source>Asks Slack whether the bot token works, without storing it</source>
        <translation>Fragt Slack, ob das Bot-Token funktioniert, ohne es zu speichern</translation>
    </message>
    <message>
        <source>Deletes both stored tokens and disconnects</source>
        <translation>Löscht beide gespeicherten Tokens und trennt die Verbindung</translation>
    </message>
    <message>
        <source>1. https://api.slack.com/apps → Create New App → From an app manifest (Copy manifest, then paste it), or From scratch</source>
        <translation>1. https://api.slack.com/apps → Create New App → From an app manifest (Manifest kopieren, dann einfügen) oder From scratch</translation>
    </message>
    <message>
        <source>Copy manifest</source>
        <translation>Manifest kopieren</translation>
    </message>
    <message>
        <source>Copies the Slack app manifest, to paste when creating the app</source>
        <translation>Kopiert das Manifest der Slack-App, zum Einfügen beim Anlegen der App</translation>
    </message>
    <message>
        <source>Copied — paste it into Slack&apos;s manifest box.</source>
        <translation>Kopiert – fügen Sie es in Slacks Manifest-Feld ein.</translation>
    </message>
</context>
<context>
    <name>halyard::SettingsGeneralTab</name>
    <message>
        <source>Example: &quot;%1 refill your water bottle&quot; in a monitored Slack channel becomes an alert reading &quot;refill your water bottle&quot;.</source>
        <translation>Beispiel: „%1 Wasserflasche auffüllen“ in einem überwachten Slack-Kanal wird zu einem Alarm mit dem Text „Wasserflasche auffüllen“.</translation>
    </message>
    <message>
        <source>Filtering</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>Only surface messages from bots and apps</source>
        <translation>Nur Nachrichten von Bots und Apps aufnehmen</translation>
    </message>
    <message>
        <source>By default Halyard ignores messages from human users so chatter doesn&apos;t pile up in the queue. Uncheck to also enqueue messages from teammates.</source>
        <translation>Standardmäßig übergeht Halyard Nachrichten von Menschen, damit sich kein Geplauder in der Warteschlange stapelt. Schalten Sie dies aus, um auch Nachrichten von Teammitgliedern aufzunehmen.</translation>
    </message>
    <message>
        <source>Trigger prefix</source>
        <translation>Auslöse-Präfix</translation>
    </message>
    <message>
        <source>Any message starting with this prefix is added to the queue regardless of who sent it. The prefix is stripped from the displayed text. Leave blank to disable.</source>
        <translation>Jede Nachricht, die mit diesem Präfix beginnt, kommt in die Warteschlange, gleich wer sie gesendet hat. Das Präfix wird aus dem angezeigten Text entfernt. Leer lassen, um es abzuschalten.</translation>
    </message>
    <message>
        <source>Notifications</source>
        <translation>Benachrichtigungen</translation>
    </message>
    <message>
        <source>Show a system banner when a new alert arrives</source>
        <translation>Ein Systembanner zeigen, wenn ein neuer Alarm eintrifft</translation>
    </message>
    <message>
        <source>Banners appear where your desktop shows notifications and dismiss themselves. No sound by default — add one in your desktop&apos;s notification settings (GNOME Settings → Notifications → Halyard, or KDE System Settings → Notifications) if you want it. Banners fire only for new live alerts, not for messages caught up by backfill after a disconnect.</source>
        <translation>Banner erscheinen dort, wo Ihr Desktop Benachrichtigungen zeigt, und verschwinden von selbst. Standardmäßig ohne Ton – fügen Sie einen in den Benachrichtigungseinstellungen Ihres Desktops hinzu (GNOME-Einstellungen → Benachrichtigungen → Halyard oder KDE-Systemeinstellungen → Benachrichtigungen), wenn Sie einen möchten. Banner gibt es nur für neue Live-Alarme, nicht für Nachrichten, die nach einer Verbindungsunterbrechung nachgeholt werden.</translation>
    </message>
    <message>
        <source>Ack-back to Slack</source>
        <translation>Bestätigung an Slack melden</translation>
    </message>
    <message>
        <source>Add a reaction to the original Slack message when I Ack</source>
        <translation>Bei „OK“ eine Reaktion zur ursprünglichen Slack-Nachricht hinzufügen</translation>
    </message>
    <message>
        <source>When you click Ack, Halyard adds an emoji reaction to the source message so anyone else in the channel can see it&apos;s been handled.</source>
        <translation>Wenn Sie auf „OK“ klicken, fügt Halyard der Quellnachricht eine Emoji-Reaktion hinzu, damit alle anderen im Kanal sehen, dass sie erledigt ist.</translation>
    </message>
    <message>
        <source>Emoji shortcode:</source>
        <translation>Emoji-Kurzcode:</translation>
    </message>
    <message>
        <source>Without colons — e.g. `white_check_mark`, `eyes`, `thumbsup`, `large_green_circle`. Requires the `reactions:write` bot scope. If you set up Halyard before this feature, see Authentication for the updated scope list and reinstall the app.</source>
        <translation>Ohne Doppelpunkte – z. B. `white_check_mark`, `eyes`, `thumbsup`, `large_green_circle`. Erfordert den Bot-Scope `reactions:write`. Wenn Sie Halyard vor dieser Funktion eingerichtet haben, finden Sie unter „Authentifizierung“ die aktualisierte Liste der Scopes; installieren Sie die App dann neu.</translation>
    </message>
    <message>
        <source>Also clear my queue when this reaction lands in Slack</source>
        <translation>Alarm auch hier entfernen, wenn diese Reaktion in Slack erscheint</translation>
    </message>
    <message>
        <source>When the configured emoji is added to a source message in Slack — whether by you on another computer, by a teammate, or by you manually in the Slack client — the matching alert clears from this device&apos;s queue too. Keeps your queue in sync across all your computers and across your team. Requires the `reactions:read` bot scope and a `reaction_added` event subscription.</source>
        <translation>Wenn das eingestellte Emoji in Slack zu einer Quellnachricht hinzukommt – ob durch Sie auf einem anderen Computer, durch ein Teammitglied oder durch Sie von Hand im Slack-Client –, verschwindet der passende Alarm auch aus der Warteschlange dieses Geräts. So bleibt Ihre Warteschlange auf all Ihren Computern und im ganzen Team gleich. Erfordert den Bot-Scope `reactions:read` und ein Abonnement des Events `reaction_added`.</translation>
    </message>
    <message>
        <source>Placement</source>
        <translation>Platzierung</translation>
    </message>
    <message>
        <source>Snap to the top of the screen when dragging close</source>
        <translation>Beim Ziehen in die Nähe am oberen Bildschirmrand einrasten</translation>
    </message>
    <message>
        <source>When the panel gets within ~50px of the top of the screen while dragging up, it snaps flush under the top bar. Makes flush placement easier to hit. Turn off if you want fine-grained control over the panel&apos;s distance from the top of the screen.</source>
        <translation>Kommt das Panel beim Hochziehen dem oberen Bildschirmrand auf etwa 50 px nahe, rastet es bündig unter der oberen Leiste ein. So gelingt die bündige Platzierung leichter. Schalten Sie dies aus, wenn Sie den Abstand des Panels zum oberen Bildschirmrand genau selbst bestimmen möchten.</translation>
    </message>
    <message>
        <source>Startup</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Start Halyard when you log in</source>
        <translation>Halyard bei der Anmeldung starten</translation>
    </message>
    <message>
        <source>Halyard opens its panel when you log in, so alerts keep arriving after a restart.</source>
        <translation>Halyard öffnet sein Panel bei der Anmeldung, damit Alarme auch nach einem Neustart weiter eintreffen.</translation>
    </message>
    <message>
        <source>Remind me when an alert becomes overdue</source>
        <translation>Erinnern, wenn ein Alarm überfällig wird</translation>
    </message>
    <message>
        <source>One more banner, marked urgent, when an alert has waited into the overdue stage. Alerts that became overdue while Halyard was not running or not connected are summed up in a single banner.</source>
        <translation>Ein weiteres, als dringend markiertes Banner, wenn ein Alarm bis in die Stufe „überfällig“ gewartet hat. Alarme, die überfällig wurden, während Halyard nicht lief oder nicht verbunden war, werden in einem einzigen Banner zusammengefasst.</translation>
    </message>
    <message>
        <source>Play a sound with overdue reminders</source>
        <translation>Bei Erinnerungen an überfällige Alarme einen Ton abspielen</translation>
    </message>
    <message>
        <source>Your desktop&apos;s alarm sound, where it plays sounds for notifications.</source>
        <translation>Der Alarmton Ihres Desktops, wo er Töne für Benachrichtigungen abspielt.</translation>
    </message>
    <message>
        <source>Show the panel</source>
        <translation>Panel anzeigen</translation>
    </message>
    <message>
        <source>Turn off where a status-bar module and banners are enough: Halyard then shows no window until you open Settings (start Halyard again to do so). Takes effect at the next start; &quot;halyard --no-panel&quot; does the same for one run.</source>
        <translation>Ausschalten, wo ein Statusleisten-Modul und Banner genügen: Halyard zeigt dann kein Fenster, bis Sie die Einstellungen öffnen (dazu Halyard erneut starten). Wirkt ab dem nächsten Start; &quot;halyard --no-panel&quot; tut dasselbe für einen Lauf.</translation>
    </message>
    <message>
        <source>Less noise</source>
        <translation>Weniger Lärm</translation>
    </message>
    <message>
        <source>Fold repeated alerts into one row</source>
        <translation>Wiederholte Alarme in einer Zeile zusammenfassen</translation>
    </message>
    <message>
        <source>Alerts from the same channel and sender whose text differs only in its numbers, within an hour of each other, show as one row with their count and the newest text; Ack acknowledges every one of them. Every alert is still kept and listed.</source>
        <translation>Alarme aus demselben Kanal vom selben Absender, deren Text sich nur in Zahlen unterscheidet und die höchstens eine Stunde auseinanderliegen, erscheinen als eine Zeile mit ihrer Anzahl und dem neuesten Text; Ack bestätigt jeden von ihnen. Jeder Alarm bleibt gespeichert und wird aufgelistet.</translation>
    </message>
    <message>
        <source>Muted alerts:</source>
        <translation>Stummgeschaltete Alarme:</translation>
    </message>
</context>
<context>
    <name>halyard::SettingsWindow</name>
    <message>
        <source>Halyard Settings</source>
        <translation>Halyard-Einstellungen</translation>
    </message>
    <message>
        <source>Authentication</source>
        <translation>Authentifizierung</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Aging</source>
        <translation>Alterung</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
</context>
<context>
    <name>halyard::ShiftReport</name>
    <message>
        <source>(unknown sender)</source>
        <translation>(unbekannter Absender)</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <source>Shift report %1 – %2</source>
        <translation>Schichtbericht %1 – %2</translation>
    </message>
    <message>
        <source>Alerts: %1</source>
        <translation>Alarme: %1</translation>
    </message>
    <message>
        <source>Acknowledged by you: %1</source>
        <translation>Von Ihnen bestätigt: %1</translation>
    </message>
    <message>
        <source>Acknowledged by teammates: %1</source>
        <translation>Von Teammitgliedern bestätigt: %1</translation>
    </message>
    <message>
        <source>Still waiting: %1</source>
        <translation>Noch wartend: %1</translation>
    </message>
    <message>
        <source>Time to acknowledge: median %1, 90th percentile %2</source>
        <translation>Zeit bis zur Bestätigung: Median %1, 90. Perzentil %2</translation>
    </message>
    <message>
        <source>Went overdue: %1</source>
        <translation>Überfällig geworden: %1</translation>
    </message>
    <message>
        <source>Noisiest senders: %1</source>
        <translation>Lauteste Absender: %1</translation>
    </message>
    <message>
        <source>Noisiest channels: %1</source>
        <translation>Lauteste Kanäle: %1</translation>
    </message>
    <message>
        <source>Alerts</source>
        <translation>Alarme</translation>
    </message>
    <message>
        <source>Acknowledged by you</source>
        <translation>Von Ihnen bestätigt</translation>
    </message>
    <message>
        <source>Acknowledged by teammates</source>
        <translation>Von Teammitgliedern bestätigt</translation>
    </message>
    <message>
        <source>Still waiting</source>
        <translation>Noch wartend</translation>
    </message>
    <message>
        <source>Median time to acknowledge</source>
        <translation>Median der Zeit bis zur Bestätigung</translation>
    </message>
    <message>
        <source>90th percentile</source>
        <translation>90. Perzentil</translation>
    </message>
    <message>
        <source>Went overdue</source>
        <translation>Überfällig geworden</translation>
    </message>
    <message>
        <source>Noisiest senders</source>
        <translation>Lauteste Absender</translation>
    </message>
    <message>
        <source>Noisiest channels</source>
        <translation>Lauteste Kanäle</translation>
    </message>
</context>
<context>
    <name>halyard::TimeToAckChart</name>
    <message>
        <source>Time to acknowledge</source>
        <translation>Zeit bis zur Bestätigung</translation>
    </message>
    <message>
        <source>Time to acknowledge: nothing acknowledged in this period.</source>
        <translation>Zeit bis zur Bestätigung: nichts bestätigt in diesem Zeitraum.</translation>
    </message>
    <message numerus="yes">
        <source>Time to acknowledge of %n alert(s): </source>
        <translation>
            <numerusform>Zeit bis zur Bestätigung von %n Alarm: </numerusform>
            <numerusform>Zeit bis zur Bestätigung von %n Alarmen: </numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n while fresh, </source>
        <translation>
            <numerusform>%n noch frisch, </numerusform>
            <numerusform>%n noch frisch, </numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n when overdue.</source>
        <translation>
            <numerusform>%n erst überfällig.</numerusform>
            <numerusform>%n erst überfällig.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>halyard::TokenValidation</name>
    <message>
        <source>That&apos;s the App-Level Token — it goes in the field below. This field wants the Bot User OAuth Token (xoxb-…), from OAuth &amp; Permissions.</source>
        <translation>Das ist das App-Level-Token – es gehört in das Feld darunter. Dieses Feld erwartet das Bot User OAuth Token (xoxb-…) aus OAuth &amp; Permissions.</translation>
    </message>
    <message>
        <source>That&apos;s a user token. Halyard needs the Bot User OAuth Token (xoxb-…) — on OAuth &amp; Permissions, copy the one under &quot;Bot User OAuth Token&quot;.</source>
        <translation>Das ist ein Benutzer-Token. Halyard braucht das Bot User OAuth Token (xoxb-…) – kopieren Sie unter OAuth &amp; Permissions das unter „Bot User OAuth Token“.</translation>
    </message>
    <message>
        <source>Slack bot tokens start with xoxb-. Double-check the copy from OAuth &amp; Permissions.</source>
        <translation>Bot-Tokens von Slack beginnen mit xoxb-. Prüfen Sie die Kopie aus OAuth &amp; Permissions.</translation>
    </message>
    <message>
        <source>That&apos;s the Bot token — it goes in the field above. This field wants the App-Level Token (xapp-…), from Basic Information → App-Level Tokens.</source>
        <translation>Das ist das Bot-Token – es gehört in das Feld darüber. Dieses Feld erwartet das App-Level-Token (xapp-…) aus Basic Information → App-Level Tokens.</translation>
    </message>
    <message>
        <source>That&apos;s a user token. This field wants the App-Level Token (xapp-…), from Basic Information → App-Level Tokens.</source>
        <translation>Das ist ein Benutzer-Token. Dieses Feld erwartet das App-Level-Token (xapp-…) aus Basic Information → App-Level Tokens.</translation>
    </message>
    <message>
        <source>App-Level Tokens start with xapp-. Double-check the copy from Basic Information → App-Level Tokens.</source>
        <translation>App-Level-Tokens beginnen mit xapp-. Prüfen Sie die Kopie aus Basic Information → App-Level Tokens.</translation>
    </message>
    <message>
        <source>That looks like a link, not a token. Copy the token value itself — it starts with %1.</source>
        <translation>Das sieht nach einem Link aus, nicht nach einem Token. Kopieren Sie den Wert des Tokens selbst – er beginnt mit %1.</translation>
    </message>
    <message>
        <source>The token contains spaces — it looks like a partial or doubled copy. Re-copy the whole value.</source>
        <translation>Das Token enthält Leerzeichen – es sieht nach einer unvollständigen oder doppelten Kopie aus. Kopieren Sie den ganzen Wert erneut.</translation>
    </message>
</context>
<context>
    <name>halyard::TokensCommand</name>
    <message>
        <source>Warning: %1</source>
        <translation>Warnung: %1</translation>
    </message>
    <message>
        <source>Bot User OAuth Token (xoxb-…): </source>
        <translation>Bot User OAuth Token (xoxb-…): </translation>
    </message>
    <message>
        <source>App-Level Token (xapp-…): </source>
        <translation>App-Level-Token (xapp-…): </translation>
    </message>
    <message>
        <source>halyard: tokens set reads two lines from standard input: the bot token, then the app-level token; nothing was stored</source>
        <translation>halyard: tokens set liest zwei Zeilen von der Standardeingabe: das Bot-Token, dann das App-Level-Token; nichts wurde gespeichert</translation>
    </message>
    <message>
        <source>halyard: the bot token is empty; nothing was stored</source>
        <translation>halyard: Das Bot-Token ist leer; nichts wurde gespeichert</translation>
    </message>
    <message>
        <source>halyard: the app-level token is empty; nothing was stored</source>
        <translation>halyard: Das App-Level-Token ist leer; nichts wurde gespeichert</translation>
    </message>
    <message>
        <source>halyard: could not store the tokens: %1 — %2</source>
        <translation>halyard: Die Tokens konnten nicht gespeichert werden: %1 – %2</translation>
    </message>
    <message>
        <source>Stored bot token %1 and app-level token %2</source>
        <translation>Bot-Token %1 und App-Level-Token %2 gespeichert</translation>
    </message>
    <message>
        <source>halyard: could not clear the tokens: %1 — %2</source>
        <translation>halyard: Die Tokens konnten nicht gelöscht werden: %1 – %2</translation>
    </message>
    <message>
        <source>Tokens cleared.</source>
        <translation>Tokens gelöscht.</translation>
    </message>
    <message>
        <source>Credential-store service name.</source>
        <translation>Name des Dienstes im Schlüsselbund.</translation>
    </message>
    <message>
        <source>name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>The running Halyard picked up the change.</source>
        <translation>Das laufende Halyard hat die Änderung übernommen.</translation>
    </message>
    <message>
        <source>No running Halyard uses these tokens; they apply when it starts.</source>
        <translation>Kein laufendes Halyard verwendet diese Tokens; sie gelten ab dem nächsten Start.</translation>
    </message>
    <message>
        <source>not stored</source>
        <translation>nicht gespeichert</translation>
    </message>
    <message>
        <source>looks valid</source>
        <translation>sieht gültig aus</translation>
    </message>
    <message>
        <source>halyard: could not read the tokens: %1 — %2</source>
        <translation>halyard: Die Tokens konnten nicht gelesen werden: %1 – %2</translation>
    </message>
    <message>
        <source>Bot token: %1</source>
        <translation>Bot-Token: %1</translation>
    </message>
    <message>
        <source>App-level token: %1</source>
        <translation>App-Level-Token: %1</translation>
    </message>
    <message>
        <source>auth.test: %1</source>
        <translation>auth.test: %1</translation>
    </message>
    <message>
        <source>auth.test: team %1, bot %2</source>
        <translation>auth.test: Team %1, Bot %2</translation>
    </message>
    <message>
        <source>apps.connections.open: %1</source>
        <translation>apps.connections.open: %1</translation>
    </message>
    <message>
        <source>works</source>
        <translation>funktioniert</translation>
    </message>
    <message>
        <source>halyard: use &quot;halyard tokens set&quot;, &quot;halyard tokens clear&quot; or &quot;halyard tokens status&quot;</source>
        <translation>halyard: Verwenden Sie &quot;halyard tokens set&quot;, &quot;halyard tokens clear&quot; oder &quot;halyard tokens status&quot;</translation>
    </message>
</context>
<context>
    <name>halyard::UpdateDialog</name>
    <message>
        <source>Open Download Page</source>
        <translation>Download-Seite öffnen</translation>
    </message>
    <message>
        <source>Software Update</source>
        <translation>Softwareaktualisierung</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Checking for updates…</source>
        <translation>Suche nach Updates…</translation>
    </message>
    <message>
        <source>Halyard %1 is available</source>
        <translation>Halyard %1 ist verfügbar</translation>
    </message>
    <message>
        <source>You have version %1. Download the new version and install it the way you installed this one.</source>
        <translation>Sie haben Version %1. Laden Sie die neue Version herunter und installieren Sie sie so, wie Sie diese installiert haben.</translation>
    </message>
    <message>
        <source>Release notes</source>
        <translation>Versionshinweise</translation>
    </message>
    <message>
        <source>Halyard %1 is the newest version.</source>
        <translation>Halyard %1 ist die neueste Version.</translation>
    </message>
    <message>
        <source>The update check failed</source>
        <translation>Die Suche nach Updates ist fehlgeschlagen</translation>
    </message>
</context>
<context>
    <name>halyard::UpdateRow</name>
    <message>
        <source>Ack</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>View and install the update</source>
        <translation>Update ansehen und installieren</translation>
    </message>
    <message>
        <source>Dismiss this update reminder</source>
        <translation>Diese Update-Erinnerung verwerfen</translation>
    </message>
    <message>
        <source>Update available - Halyard %1</source>
        <translation>Update verfügbar - Halyard %1</translation>
    </message>
    <message>
        <source>Stops the reminder for this version</source>
        <translation>Beendet die Erinnerung an diese Version</translation>
    </message>
</context>
<context>
    <name>halyard::panelstyle</name>
    <message>
        <source>Fresh</source>
        <translation>Frisch</translation>
    </message>
    <message>
        <source>Aging</source>
        <translation>Alternd</translation>
    </message>
    <message>
        <source>Stale</source>
        <translation>Alt</translation>
    </message>
    <message>
        <source>Overdue</source>
        <translation>Überfällig</translation>
    </message>
</context>
</TS>
