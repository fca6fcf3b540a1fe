# Starts Vireon.exe on Windows, takes a screenshot of the screen and closes it again.
#
#   powershell -NoProfile -ExecutionPolicy Bypass -File scripts\windows-smoke.ps1 build\Release\Vireon.exe build\smoke.png
#
# The exe is copied into a fresh temporary folder first, so the Vireon.ini it may
# write there is its own. The script waits until the program shows its main
# window and that window has painted, saves the whole screen as a PNG, closes the
# main window and waits for the program to end. Any step that fails throws with
# a message naming it. Runs in Windows PowerShell 5.1 and in PowerShell 7.
param(
    [Parameter(Mandatory = $true)][string]$ExePath,
    [Parameter(Mandatory = $true)][string]$PngPath,
    [int]$WindowTimeoutSeconds = 30,
    [int]$PaintTimeoutSeconds = 10,
    [int]$ExitTimeoutMilliseconds = 10000
)

Set-StrictMode -Version 3
$ErrorActionPreference = 'Stop'

Add-Type -TypeDefinition @'
using System;
using System.Runtime.InteropServices;
public static class VireonSmokeNative {
    [StructLayout(LayoutKind.Sequential)] public struct RECT { public int Left, Top, Right, Bottom; }
    [StructLayout(LayoutKind.Sequential)] public struct POINT { public int X, Y; }
    [DllImport("user32.dll")] public static extern bool SetProcessDPIAware();
    [DllImport("user32.dll")] public static extern bool GetClientRect(IntPtr window, out RECT rect);
    [DllImport("user32.dll")] public static extern bool ClientToScreen(IntPtr window, ref POINT point);
    [DllImport("user32.dll")] public static extern bool SetWindowPos(IntPtr window, IntPtr after, int x, int y, int cx, int cy, uint flags);
}
'@
# Screen coordinates in physical pixels, as the per-monitor-aware program sees
# them, before Windows Forms reads any metric. Fails harmlessly when the host
# has declared its awareness already.
[void][VireonSmokeNative]::SetProcessDPIAware()
Add-Type -AssemblyName System.Drawing
Add-Type -AssemblyName System.Windows.Forms

function Get-ClientBounds([IntPtr]$Window) {
    $rect = New-Object VireonSmokeNative+RECT
    $origin = New-Object VireonSmokeNative+POINT
    if (-not [VireonSmokeNative]::GetClientRect($Window, [ref]$rect)) { return $null }
    if (-not [VireonSmokeNative]::ClientToScreen($Window, [ref]$origin)) { return $null }
    return New-Object System.Drawing.Rectangle($origin.X, $origin.Y, ($rect.Right - $rect.Left), ($rect.Bottom - $rect.Top))
}

function Copy-Screen([System.Drawing.Rectangle]$Bounds) {
    $bitmap = New-Object System.Drawing.Bitmap($Bounds.Width, $Bounds.Height, [System.Drawing.Imaging.PixelFormat]::Format32bppArgb)
    $graphics = [System.Drawing.Graphics]::FromImage($bitmap)
    try {
        $graphics.CopyFromScreen($Bounds.Location, [System.Drawing.Point]::Empty, $Bounds.Size)
    } catch {
        $bitmap.Dispose()
        throw
    } finally {
        $graphics.Dispose()
    }
    return $bitmap
}

function Test-OneColour([System.Drawing.Bitmap]$Bitmap) {
    $all = New-Object System.Drawing.Rectangle(0, 0, $Bitmap.Width, $Bitmap.Height)
    $data = $Bitmap.LockBits($all, [System.Drawing.Imaging.ImageLockMode]::ReadOnly,
        [System.Drawing.Imaging.PixelFormat]::Format32bppArgb)
    try {
        # 32 bits a pixel: the rows follow each other without padding.
        $pixels = New-Object 'int[]' ($Bitmap.Width * $Bitmap.Height)
        [System.Runtime.InteropServices.Marshal]::Copy($data.Scan0, $pixels, 0, $pixels.Length)
    } finally {
        $Bitmap.UnlockBits($data)
    }
    $colours = New-Object 'System.Collections.Generic.HashSet[int]' (, $pixels)
    return $colours.Count -le 1
}

function Assert-Running($Process, [string]$When) {
    if ($Process.HasExited) {
        throw "Vireon.exe ended by itself $When (exit code $($Process.ExitCode))"
    }
}

try {
    $exe = (Resolve-Path -LiteralPath $ExePath).ProviderPath
} catch {
    throw "there is no program at '$ExePath': build it first"
}
$png = $ExecutionContext.SessionState.Path.GetUnresolvedProviderPathFromPSPath($PngPath)
# A second Vireon in this session only says that one is running already, in a
# message box that would pass for its main window here.
$session = (Get-Process -Id $PID).SessionId
if (Get-Process -Name Vireon -ErrorAction SilentlyContinue | Where-Object { $_.SessionId -eq $session }) {
    throw 'a Vireon is running already: close it first (only one runs at a time)'
}

$folder = Join-Path ([System.IO.Path]::GetTempPath()) ('vireon-smoke-' + [guid]::NewGuid().ToString('N'))
New-Item -ItemType Directory -Path $folder | Out-Null
$process = $null
try {
    $copy = Join-Path $folder 'Vireon.exe'
    Copy-Item -LiteralPath $exe -Destination $copy
    $start = New-Object System.Diagnostics.ProcessStartInfo($copy)
    $start.UseShellExecute = $false
    $start.WorkingDirectory = $folder
    # Started by .NET itself, so the Process object holds the handle and knows the exit code.
    $process = [System.Diagnostics.Process]::Start($start)

    $deadline = [DateTime]::UtcNow.AddSeconds($WindowTimeoutSeconds)
    while ($true) {
        Assert-Running $process 'before it showed its main window'
        $process.Refresh()
        if ($process.MainWindowHandle -ne [IntPtr]::Zero) { break }
        if ([DateTime]::UtcNow -ge $deadline) {
            throw "Vireon.exe shows no main window $WindowTimeoutSeconds s after its start"
        }
        Start-Sleep -Milliseconds 100
    }
    $window = $process.MainWindowHandle
    if ($process.MainWindowTitle -ne 'Vireon') {
        throw "the first window of Vireon.exe is '$($process.MainWindowTitle)', not its main window 'Vireon'"
    }

    # Above other windows (a console left in front, say) without taking the
    # keyboard, so that the screen shows it. Where that is refused the
    # screenshot shows whatever is in front instead.
    $SWP_NOSIZE_NOMOVE_NOACTIVATE = 0x13
    if (-not [VireonSmokeNative]::SetWindowPos($window, [IntPtr]::Zero, 0, 0, 0, 0, $SWP_NOSIZE_NOMOVE_NOACTIVATE)) {
        Write-Warning 'the main window could not be raised above the other windows'
    }

    # Painted once its client area (the control panel) is more than one colour.
    $deadline = [DateTime]::UtcNow.AddSeconds($PaintTimeoutSeconds)
    $painted = $false
    $why = 'its client area stayed one colour'
    while ($true) {
        Assert-Running $process 'while its window was painted'
        $bounds = Get-ClientBounds $window
        if ($null -ne $bounds -and $bounds.Width -gt 0 -and $bounds.Height -gt 0) {
            try {
                $shot = Copy-Screen $bounds
                try { $painted = -not (Test-OneColour $shot) } finally { $shot.Dispose() }
            } catch {
                $why = "the screen could not be read: $($_.Exception.Message)"
            }
        } else {
            $why = 'its client area has no size'
        }
        if ($painted) { break }
        if ([DateTime]::UtcNow -ge $deadline) {
            Write-Warning "the main window did not paint within $PaintTimeoutSeconds s ($why); taking the screenshot anyway"
            break
        }
        Start-Sleep -Milliseconds 200
    }

    # The screenshot: a failure here is reported after the close has been checked too.
    $shotError = $null
    try {
        $screen = [System.Windows.Forms.SystemInformation]::VirtualScreen
        $image = Copy-Screen $screen
        try {
            New-Item -ItemType Directory -Force -Path (Split-Path -Parent $png) | Out-Null
            $image.Save($png, [System.Drawing.Imaging.ImageFormat]::Png)
        } finally {
            $image.Dispose()
        }
        Write-Host "screenshot ($($screen.Width)x$($screen.Height)): $png"
    } catch {
        $shotError = $_.Exception.Message
    }

    Assert-Running $process 'before its main window was closed'
    if (-not $process.CloseMainWindow()) {
        throw 'Vireon.exe has no main window to close, or it is disabled'
    }
    if (-not $process.WaitForExit($ExitTimeoutMilliseconds)) {
        throw "Vireon.exe did not end within $ExitTimeoutMilliseconds ms after its main window was closed"
    }
    if ($process.ExitCode -ne 0) {
        throw "Vireon.exe ended with exit code $($process.ExitCode) after its main window was closed"
    }
    if ($null -ne $shotError) {
        throw "the screenshot could not be taken: $shotError"
    }
    Write-Host 'Vireon.exe started, showed its main window and ended when it was closed'
} finally {
    if ($null -ne $process -and -not $process.HasExited) {
        $process.Kill()
        [void]$process.WaitForExit(5000)
    }
    Remove-Item -LiteralPath $folder -Recurse -Force -ErrorAction SilentlyContinue
}
